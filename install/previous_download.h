// What an earlier install left behind for the next one: the package file and the download
// engine's cached copies of the package URLs. Every download attempt removes them before it
// fetches (download_job.cpp); removing them once more while the welcome page is shown means
// the attempt finds nothing left, so the freeing of two large files no longer falls at the
// start of the download, where it holds up every window of the session.
//
//   RemovePreviousDownload(settings.packagePath, {settings.downloadUrl, FallbackPackageUrl()});
//
// Threading: any thread, but it blocks while the file system frees the files: workers only.
#pragma once

#include <string>
#include <vector>

void RemovePreviousDownload(const std::wstring& packagePath,
                            const std::vector<std::wstring>& urls);
