// The installer settings: where the application goes, which distribution channel this
// installer belongs to, where the setup package comes from and where it is stored. Start-up
// builds them once, before the main window; only installDir changes afterwards.
//
//   InstallerSettings settings;
//   if (!BuildInstallerSettings(CommandLineArgs::Instance().arguments(), &settings)) {
//     ShowNoPackageSpaceMessage();           // package_dir.h
//     EndProcessNow(kNoPackageDirExitCode);  // process_utils.h
//   }
//   auto* window = new CMainWindow(settings);  // app/startup/installer_startup.cpp
//
// UI thread (start-up).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/package_dir.h"
#include "build_settings.h"

// The package file's name, in its private folder (install/package_folder.h).
inline constexpr const wchar_t* kPackageFileName = build::kPackageFileName;

struct InstallerSettings {
  std::wstring downloadUrl;
  // Always ends in "\". The download makes its private package folder inside it, and the
  // package goes there, not to packagePath.
  std::wstring packageDir;
  std::wstring packagePath;  // packageDir + kPackageFileName
  std::wstring installDir;
  std::wstring channel;
};

// Fills every setting from the defaults, the CHANNEL resource, the command-line map (keys
// "installPath" and "channel") and, for the "_upgrade" channel, the stored
// "InstallerChannel". False only when no package directory is usable; the other settings are
// filled all the same.
bool BuildInstallerSettings(const std::map<std::wstring, std::wstring>& args,
                            InstallerSettings* out);

// The same with the package-directory candidates given, tried in order.
bool BuildInstallerSettings(const std::map<std::wstring, std::wstring>& args,
                            const std::vector<std::wstring>& packageDirCandidates,
                            InstallerSettings* out);

// Program Files (x86) + "\" + the product's install folder, or the command line's "installPath".
std::wstring ResolveInstallDir(const std::map<std::wstring, std::wstring>& args);

// The resource tag ("default" without one), overridden by a non-empty "channel" argument;
// "_upgrade" then takes the stored "InstallerChannel" when there is one.
std::wstring ResolveChannel(const std::map<std::wstring, std::wstring>& args);

// The product's package URL with the channel in place of "{channel}", verbatim.
std::wstring MakeDownloadUrl(const std::wstring& channel);
