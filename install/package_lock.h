// Holds the downloaded setup package open so nobody can change, replace, rename or delete it
// between the signature check and the start of its setup. The file is opened for reading and
// shared for reading only; starting it as a program still works, because the system maps an
// image with read access and read sharing. Its folder is held too, so it cannot be renamed
// away and replaced by another folder with another package in it.
//
//   PackageLock lock(packagePath);
//   if (!lock.IsHeld()) { ... fail with lock.Error() ... }
//   TrustResult trust = VerifyPackageSigner(lock, build::kPackageSigner);
//   if (!trust.trusted) { ... fail with trust.text ... }
//   int code = RunHiddenAndWait(L"", commandLine);   // the lock ends with the scope
//
// Threading: any thread; one object is used by one thread.
#pragma once

#include <string>

class PackageLock {
 public:
  // Opens `path` at once; IsHeld tells whether that worked.
  explicit PackageLock(const std::wstring& path);
  ~PackageLock();
  PackageLock(const PackageLock&) = delete;
  PackageLock& operator=(const PackageLock&) = delete;

  bool IsHeld() const { return handle_ != nullptr; }
  // The system error code of a failed open (32 when someone else has the file open for
  // writing, 2 when there is no file); 0 while held.
  unsigned long Error() const { return error_; }
  const std::wstring& Path() const { return path_; }
  // The open file handle (a HANDLE), or null. Owned by the lock.
  void* Handle() const { return handle_; }

  // Lets go of the file and its folder before the lock goes out of scope.
  void Release();

 private:
  std::wstring path_;
  void* handle_ = nullptr;
  void* folder_ = nullptr;
  unsigned long error_ = 0;
};
