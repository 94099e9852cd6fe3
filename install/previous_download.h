// What an earlier install left behind for the next one: the download engine's cached copies
// of the package (200 MiB each). Every download attempt removes its URL's copy before it
// fetches (download_job.cpp); removing them once more while the welcome page is shown means
// the attempt finds nothing left, so the freeing of a large file no longer falls at the start
// of the download, where it holds up every window of the session.
//
// The package file itself is not touched: it lives in a private folder of its download, which
// is gone after the install (package_folder.h). A file at a fixed path in a folder the user
// can write is nothing this elevated program may delete.
//
//   RemovePreviousDownload({settings.downloadUrl, FallbackPackageUrl()});
//
// Threading: any thread, but it blocks while the file system frees the files: workers only.
#pragma once

#include <string>
#include <vector>

void RemovePreviousDownload(const std::vector<std::wstring>& urls);
