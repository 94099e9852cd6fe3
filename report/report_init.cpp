// InitReportBaseFields lives apart from the rest of reporting: it is the one piece that
// needs the machine facts (and so the platform), which tests of the rest do without.
#include "app/machine_facts.h"
#include "report/report.h"

void InitReportBaseFields() {
  // The order fills the identity caches on the main thread, before any worker reports.
  ReportIdentity identity;
  identity.appver = GetFileVersionString();
  identity.imei = GetUniqueId();
  identity.osName = GetOsDisplayName();
  identity.is64BitWindows = Is64BitWindows();
  identity.hasChannelTag = ReadChannelTag(&identity.channelTag);
  InitReportBaseFieldsFrom(identity);
}
