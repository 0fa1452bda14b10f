// The kind-selected queries and changes of the Service object
// (GetProjectInfo, slot 12, and SetProjectInfo, slot 13).
//
// Both clear the status first and need an open workspace (GetProjectInfo
// kind 121 excepted). The project VARIANT names a project by output name,
// with or without its extension (ProjectList::ResolveFile); an empty name names
// none. The value VARIANT, where a kind reads it, is a string: a folder
// section (9), a key of section PROJECT (16), a section (51), a target
// (101 to 107, 130 to 133; empty: the project's current target), a path (110) or a
// tool's file name (1008).
//
// GetProjectInfo kinds with a subject of their own:
//   0, 5     the current project's name          1     the current target
//   2, 4     every project's output name, each followed by `;`
//   6        the project's targets, each followed by `;`
//   9        FILTER of a folder                   16    a PROJECT value
//   50       the .kpr path                        51    a section's key names, each + `;`
//   58       the .kop path                        101   the target's output directory
//   102      OUTPUT of the target's section       108   LCFOPEN of the .kpa, else the project's
//   110      a path relative to the project, ".\" form
//   114      the source entries of the project's folders, each followed by `;`
//   121      (also without a workspace) the name of the stop request: while
//            a named object of that name exists (SystemServices), makefile
//            generation and dependency refreshes stop
//   125, 126 the dependencies of every project, all or stale files; "1" when stopped
//   1001     the home of the project's CPU        1002, 1003 its second home, its variable
//   1006     its first temporary directory        1007  its executable directories + `;`
//   1008     "<home>\bin\<tool>"
//   24       the memory models of the project's CPU family; with a model
//            name as the value, that model's areas (build_queries.h)
//   100      writes the project's own KMAKE makefile in the mode the value
//            gives ("0", "1", "2"; empty: "0") and answers its path
//   103      makes the build makefile of the target when it is out of date
//            and answers its path; the value is the target, or a string
//            list of the target, the mode ("0" or "2") and "1" to force the
//            Clean section
//   104, 105 writes the target's pre-build makefile, or its convert makefile
//            (not for a library), and answers its path
//   107      the directory of the target's FAL side files
//   130-132  the target's compile rules, link or library rule, Clean section
//   133      writes the GNU-format makefile of the project and the projects it
//            links (the value "1": the project alone) and answers its path
// A makefile kind whose generation was stopped fails with kStatusStopped.
// The other kinds of 0-25, 50-61, 100-133, 1001-1020 and 2000 answer an empty text;
// kinds 3, 6 to 9 and every kind from 16 on with a subject of the project
// need a project name (0x40030005 without). An unknown kind answers an
// empty text without a project name, 0x40030005 with one.
//
// The text goes to `result` when the status is still 0 at the end (S_OK);
// otherwise the answer is S_FALSE and `result` stays null.
#pragma once

#include <string_view>

#include "com/com_types.h"
#include "com/variant.h"

namespace zelvan {

class ComponentModule;

HRESULT GetProjectInfo(ComponentModule& module, LONG kind, const VARIANT& project,
                       const VARIANT& value, BSTR* result);

// Kinds: 0, 5 the project named by `text` becomes active; 1 `text` becomes
// the current target; 9 `text` becomes FILTER of the folder section the
// value names; 22 `text` becomes the current project's name; 108 `text`
// becomes LCFOPEN of the project's .kpa file. 11, 15, 19, 20, 21, 57, 60,
// 61, 127, 1009-1015, 1017 and 1018 are accepted and change nothing; any
// other kind fails with 0x40030005.
HRESULT SetProjectInfo(ComponentModule& module, LONG kind, const VARIANT& project,
                       const VARIANT& value, std::string_view text);

}  // namespace zelvan
