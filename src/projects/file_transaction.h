// The files one operation writes, so that a failure can take them back and
// leave the disk as it was: a project is created, copied or renamed whole,
// or not at all.
//
//   FileTransaction files(fs);
//   files.Protect(workspace_settings);          // written by someone else
//   if (!files.CreateDirectories(folder, &error) ||
//       !files.WriteNewFile(folder + "main.c", text, &error)) {
//     return false;                              // the destructor rolls back
//   }
//   files.Commit();
//
// Rollback deletes the files the operation created, gives replaced and
// protected files their old bytes (and read-only attribute) back, and
// removes the directories it created when they are empty. A file that
// existed before and was neither replaced nor protected is never touched.
// Every write is atomic (WriteFileAtomic).
//
// Given a journal folder, the files and directories it creates are listed
// in an undo journal there first (undo_journal.h), so that the next command
// that looks in that folder takes them back should this process be killed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/undo_journal.h"

namespace zelvan {

class FileSystem;

class FileTransaction {
 public:
  explicit FileTransaction(FileSystem& fs, std::string journal_dir = {})
      : fs_(fs), journal_(fs, std::move(journal_dir)) {}
  // Rolls back unless committed.
  ~FileTransaction();
  FileTransaction(const FileTransaction&) = delete;
  FileTransaction& operator=(const FileTransaction&) = delete;

  // Creates every missing directory along `dir`.
  bool CreateDirectories(std::string_view dir, std::string* error);
  // Writes a file that must not exist yet; `read_only` sets the attribute
  // after the write. A copy names its original in `permissions_of`, so that
  // it is no more widely readable than that.
  bool WriteNewFile(std::string_view path, std::string_view contents, std::string* error,
                    bool read_only = false, std::string_view permissions_of = {});
  // Writes a file, replacing one that exists (its read-only attribute is
  // cleared first; Rollback gives it back with its old bytes).
  bool ReplaceFile(std::string_view path, std::string_view contents, std::string* error);
  // Remembers the state of `path` (its bytes and attribute, or that it does
  // not exist) so that Rollback restores it, whoever changes it meanwhile.
  // A file that exists but cannot be read is left to itself.
  void Protect(std::string_view path);
  // The operation is complete, whatever follows, once `path` changed (the
  // workspace file that names a new project): a journal of a killed
  // process is then only removed.
  void DoneWhenChanged(std::string_view path) { journal_.DoneWhenChanged(path); }
  // The operation deletes `path` at its end, after the last write
  // (UndoJournal::DeleteWhenDone); delete it before Commit.
  void DeleteWhenDone(std::string_view path) { journal_.DeleteWhenDone(path); }

  void Rollback();
  // Keeps what was written; the transaction forgets it.
  void Commit();

 private:
  struct Entry {
    std::string path;
    bool existed = false;
    bool read_only = false;
    std::string contents;  // the bytes before, when it existed
  };

  // Records `path` unless it is recorded already; false when it exists and cannot be read.
  bool Record(std::string_view path);
  bool Write(std::string_view path, std::string_view contents, bool must_be_new, bool read_only,
             std::string_view permissions_of, std::string* error);

  FileSystem& fs_;
  UndoJournal journal_;
  std::vector<Entry> entries_;
  std::vector<std::string> directories_;  // created, outermost first
};

}  // namespace zelvan
