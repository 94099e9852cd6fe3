// The download-throughput bench. Prints how long a fetch took and how many bytes arrived.
//
//   download_bench job URL PATH [EXPECTED_SIGNER]
//     The installer's download job (RunDownloadJob: the same engine, status callback, checks
//     and retries as the installer).
//   download_bench engine URL PATH
//     The system download engine alone (URLDownloadToFileW without a callback): what the job
//     can reach at best.
//   download_bench callback URL PATH
//     The engine with the installer's status callback (CBSCallbackImpl), without the checks.
//   download_bench verify - PATH SIGNER
//     Only the package's signature check (VerifyPackageSigner), as the job runs it.
//   download_bench setup - PATH INSTALL_DIR
//     Only the package's silent setup into INSTALL_DIR, started and waited for as the
//     installer does (the same command line, hidden, in the package's folder), without the
//     start check; failed unless it exits with 0 and leaves the program in the folder.
//   download_bench forget URL PATH
//     Removes what an engine run left: the engine's cached copy of URL and the file PATH.
//   download_bench wininet URL PATH BUFFER_BYTES
//     WinINet read straight into the file with the given buffer: what the engine's transport
//     could deliver with larger reads.
//   -> "seconds=1.234 bytes=209715200 failed=0"
//
// Threading: everything on the main thread, as the installer's worker does.
#include <windows.h>
#include <objbase.h>
#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

#include "install/bind_status_callback.h"
#include "install/download_engine.h"
#include "install/download_job.h"
#include "install/install_records.h"
#include "install/package_check.h"
#include "install/package_trust.h"
#include "install/setup_job.h"

namespace {

int RunJob(const wchar_t* url, const wchar_t* path, const wchar_t* signer) {
  DownloadRequest request;
  request.downloadUrl = url;
  request.fallbackUrl = url;
  request.packagePath = path;
  if (signer) request.expectedSigner = signer;
  DownloadResult result = RunDownloadJob(request, [](int64_t, int, int, int64_t) {});
  if (!result.Succeeded()) std::fprintf(stderr, "%ls\n", result.downloadErrorText.c_str());
  return result.Succeeded() ? 0 : 1;
}

int RunEngine(const wchar_t* url, const wchar_t* path, bool withCallback) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  DeleteUrlCacheEntryFor(url);
  CBSCallbackImpl callback([](uint32_t, uint32_t) {});
  long hr = DownloadUrlToFile(url, path, withCallback ? &callback : nullptr);
  CoUninitialize();
  return hr == 0 ? 0 : 1;
}

int RunSetup(const std::wstring& path, const std::wstring& installDir) {
  const std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
  int code = RunHiddenAndWait(L"", BuildSetupCommandLine(path, installDir), folder);
  if (code != 0) std::fprintf(stderr, "setup ended with %d\n", code);
  const std::wstring program = installDir + L"\\" + kAppExeName;
  return code != 0 || GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES;
}

int RunWininet(const wchar_t* url, const wchar_t* path, DWORD bufferBytes) {
  HINTERNET session = InternetOpenW(L"bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET request = session ? InternetOpenUrlW(session, url, nullptr, 0,
                                                 INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                              : nullptr;
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  int failed = !request || file == INVALID_HANDLE_VALUE;
  std::vector<char> buffer(bufferBytes);
  DWORD read = 0;
  while (!failed && InternetReadFile(request, buffer.data(), bufferBytes, &read) && read > 0) {
    DWORD written = 0;
    failed = !WriteFile(file, buffer.data(), read, &written, nullptr) || written != read;
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (request) InternetCloseHandle(request);
  if (session) InternetCloseHandle(session);
  return failed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: download_bench job|engine|callback|verify|setup|forget|wininet "
                         "URL PATH [ARG]\n");
    return 2;
  }
  std::wstring mode = argv[1];
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  int failed;
  if (mode == L"engine" || mode == L"callback")
    failed = RunEngine(argv[2], argv[3], mode == L"callback");
  else if (mode == L"verify")
    failed = !VerifyPackageSigner(argv[3], argc > 4 ? argv[4] : L"").trusted;
  else if (mode == L"setup")
    failed = argc > 4 ? RunSetup(argv[3], argv[4]) : 2;
  else if (mode == L"forget") {
    DeleteUrlCacheEntryFor(argv[2]);
    failed = !DeleteFileW(argv[3]);
  }
  else if (mode == L"wininet")
    failed = RunWininet(argv[2], argv[3], argc > 4 ? _wtoi(argv[4]) : 65536);
  else
    failed = RunJob(argv[2], argv[3], argc > 4 ? argv[4] : nullptr);
  QueryPerformanceCounter(&end);
  std::printf("seconds=%.4f bytes=%lld failed=%d\n",
              static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart,
              static_cast<long long>(PackageFileSize(argv[3])), failed);
  return failed;
}
