#include "app/installer_settings.h"

#include <windows.h>
#include <shlobj.h>

#include "app/machine_facts.h"
#include "app/registry.h"
#include "app/special_folder.h"
#include "build_settings.h"
#include "toolkit/base/replace_all.h"

namespace {

constexpr wchar_t kUpgradeChannel[] = L"_upgrade";

// The argument's value, or "" when the key is absent.
std::wstring ArgValue(const std::map<std::wstring, std::wstring>& args, const wchar_t* key) {
  const auto found = args.find(key);
  return found == args.end() ? std::wstring() : found->second;
}

}  // namespace

std::wstring ResolveInstallDir(const std::map<std::wstring, std::wstring>& args) {
  const std::wstring fromArgs = ArgValue(args, L"installPath");
  if (!fromArgs.empty()) return fromArgs;
  return GetSpecialFolderPath(CSIDL_PROGRAM_FILESX86) + L"\\" + build::kInstallFolder;
}

std::wstring ResolveChannel(const std::map<std::wstring, std::wstring>& args) {
  std::wstring channel;
  // Only a missing resource means "default"; a tag that is not UTF-8 stays empty.
  if (!ReadChannelTag(&channel)) channel = L"default";
  const std::wstring fromArgs = ArgValue(args, L"channel");
  if (!fromArgs.empty()) channel = fromArgs;
  if (channel == kUpgradeChannel) {
    const std::wstring stored = ReadUserRegString(kAppInfoKey, L"InstallerChannel");
    if (!stored.empty()) channel = stored;
  }
  return channel;
}

std::wstring MakeDownloadUrl(const std::wstring& channel) {
  std::wstring url = build::kPackageUrl;
  ReplaceAll(url, L"{channel}", channel);
  return url;
}

bool BuildInstallerSettings(const std::map<std::wstring, std::wstring>& args,
                            InstallerSettings* out) {
  return BuildInstallerSettings(args, DefaultPackageDirCandidates(), out);
}

bool BuildInstallerSettings(const std::map<std::wstring, std::wstring>& args,
                            const std::vector<std::wstring>& packageDirCandidates,
                            InstallerSettings* out) {
  out->installDir = ResolveInstallDir(args);
  out->channel = ResolveChannel(args);
  out->downloadUrl = MakeDownloadUrl(out->channel);
  std::wstring dir;
  if (!ChoosePackageDir(packageDirCandidates, &dir)) {
    out->packageDir.clear();
    out->packagePath.clear();
    return false;
  }
  out->packageDir = dir + L"\\";
  out->packagePath = out->packageDir + kPackageFileName;
  return true;
}
