// The undo journal of an operation that makes several files (a new or
// copied project), so that one killed in the middle leaves nothing behind
// once the next process looks in the folder.
//
// Each file and directory is listed before it is made, with a digest of
// the contents the file will get; the journal is removed when the operation
// is done or has taken its files back itself. A journal whose process is
// gone is undone by the next RemoveDeadTemporaries of its folder: every
// file it lists that still holds what the operation wrote is deleted (a
// file of the same name with other contents is the user's and stays), then
// every directory it lists if it is empty. An operation that is complete
// once another file changes (the workspace file that names the new project)
// says so (DoneWhenChanged): when that file changed, the journal is only
// removed. Files the operation deletes at its end (the old files of a
// renamed project) are listed too (DeleteWhenDone): one of them gone also
// shows the operation complete, and the others, when they still hold what
// they held, are then deleted in its stead.
//
// The journal is a temporary beside the others: "zelvan.~zv<tag>-XXXXXX.undo"
// (TemporaryPattern), one line each, the path last:
//
//   zelvan undo journal
//   done-when-changed 1f3a...:212 C:\ws\Example.kws   (digest:size, or "-" when missing)
//   dir C:\ws\Pump
//   file 9c0e...:480 C:\ws\Pump\main.c
//   obsolete 77ab...:1210 C:\ws\Motor\Motor.kbp
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class FileSystem;

class UndoJournal {
 public:
  // The journal lives in `dir` once the first line is written; an empty
  // `dir` keeps no journal (every call succeeds and does nothing).
  UndoJournal(FileSystem& fs, std::string dir) : fs_(fs), dir_(std::move(dir)) {}
  // Leaves the journal where it is: only Close removes it.
  ~UndoJournal() = default;
  UndoJournal(const UndoJournal&) = delete;
  UndoJournal& operator=(const UndoJournal&) = delete;

  // Each lists what the caller is about to make and writes the journal;
  // false when it could not be written (the caller must not go on).
  bool WillCreateFile(std::string_view path, std::string_view contents);
  bool WillCreateDirectory(std::string_view path);
  // Written with the next line.
  void DoneWhenChanged(std::string_view path);
  void DeleteWhenDone(std::string_view path);
  // Removes the journal: the operation is done or took its files back.
  void Close();

 private:
  bool Add(std::string line);

  FileSystem& fs_;
  std::string dir_;
  std::string path_;  // once written
  std::vector<std::string> lines_;
};

// Whether `name` (a file name) is a journal, with its owner's tag.
bool IsUndoJournalName(std::string_view name, std::string_view* owner);
// Undoes the journal at `path` of a process that is gone, as described
// above, and removes it. A journal that cannot be read is left alone.
void UndoDeadJournal(FileSystem& fs, const std::string& path);

}  // namespace zelvan
