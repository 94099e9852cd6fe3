#include "window/installer_state.h"

PageView ViewForState(InstallerState state) {
  switch (state) {
    case Welcome:
      return {L"welcompage", true, false};
    case Downloading:
    case Installing:
    case AppRunningPrompt:
      return {L"installpage", false, false};
    case Installed:
      return {L"installedpage", true, false};
    case DownloadFailed:
    case InstallFailed:
      return {L"installfaildpage", true, false};
    case ExitSurvey:
      return {L"ExitStartpage", false, true};
  }
  return {L"welcompage", true, false};
}
