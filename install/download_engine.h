// Thin access to the system's download engine: fetch a URL into a file synchronously
// through a status callback, and drop a URL from the internet cache. The engine's libraries
// are loaded from System32 on first use.
//
//   DeleteUrlCacheEntryFor(url);
//   long hr = DownloadUrlToFile(url, path, &callback);   // blocks until the transfer ends
//
//   PreloadDownloadEngine();   // on the worker, while the user has not asked for a download yet
//
// Threading: any thread; DownloadUrlToFile blocks, so only workers call it.
#pragma once

#include <string>

struct IBindStatusCallback;

// The engine's HRESULT; 0 when the file was written.
long DownloadUrlToFile(const std::wstring& url, const std::wstring& path,
                       IBindStatusCallback* callback);

// Removes the URL's cached copy, if any, so the next download goes to the server.
void DeleteUrlCacheEntryFor(const std::wstring& url);

// Loads the engine's libraries (and those they need) now rather than when the first download
// starts, so that the start of a download does not wait for the loader. Touches no file and
// no server. True when both functions are there.
bool PreloadDownloadEngine();
