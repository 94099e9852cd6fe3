; The demo setup package: installs brightmere.exe and a payload into the folder given with
; /D=, and writes an uninstall entry with the product's display name. Switches read from the
; environment let tests make it fail or hang:
;   BRIGHTMERE_DEMO_HANG=1           never ends
;   BRIGHTMERE_DEMO_FAIL_RUNS=N      the first N runs fail (every run when no counter is set)
;   BRIGHTMERE_DEMO_RUN_COUNTER=file counts the runs, so that FAIL_RUNS can end
;   BRIGHTMERE_DEMO_FAIL_CODE=C      exit code of a failing run (default 1)
; The build passes DEFINES_FILE, which defines DISPLAY_NAME, VERSION, APP_EXE, PAYLOAD, OUTFILE
; and TARGET: the setup program is built for the architecture of the tree that runs it
; (x86-unicode in the i686 tree, amd64-unicode in the x86_64 one), like the application it
; installs, so no test starts a 32-bit program where 32-bit code cannot run.
!include "${DEFINES_FILE}"
Unicode true
Target ${TARGET}
SetCompress off
RequestExecutionLevel admin
Name "${DISPLAY_NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\harrowfields\brightmere"
SilentInstall normal

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\brightmere"

Page directory
Page instfiles

Function .onInit
  ReadEnvStr $0 BRIGHTMERE_DEMO_HANG
  StrCmp $0 "1" 0 check_failures
  hang:
    Sleep 60000
    Goto hang

  check_failures:
  ReadEnvStr $1 BRIGHTMERE_DEMO_FAIL_RUNS
  StrCmp $1 "" init_done
  StrCpy $3 0
  ReadEnvStr $2 BRIGHTMERE_DEMO_RUN_COUNTER
  StrCmp $2 "" compare
  ClearErrors
  FileOpen $4 $2 r
  IfErrors count
  FileRead $4 $3
  FileClose $4
  count:
  IntOp $3 $3 + 0
  IntOp $5 $3 + 1
  FileOpen $4 $2 w
  FileWrite $4 $5
  FileClose $4

  compare:
  IntCmp $3 $1 init_done fail init_done
  fail:
    ReadEnvStr $6 BRIGHTMERE_DEMO_FAIL_CODE
    StrCmp $6 "" 0 +2
    StrCpy $6 1
    SetErrorLevel $6
    Quit

  init_done:
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "/oname=brightmere.exe" "${APP_EXE}"
  File "/oname=brightmere.dat" "${PAYLOAD}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\brightmere.exe"
  Delete "$INSTDIR\brightmere.dat"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
