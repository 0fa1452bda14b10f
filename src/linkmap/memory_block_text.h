// Where the memory block of a link command file stands. The reader and the
// writer find it by the same rule, so what one writes the other reads back:
//
//   /* comments do not count */
//   memory                       the word "memory" in any letter case, a
//   {                            word of its own, then only blanks and line
//       code.l : origin=0x0 length=0x40000     ends up to "{"; the block
//   }                            ends at the first "}" after it
//
// Block comments are blanked out before the search, keeping every offset,
// so offsets found in the blanked text are offsets in the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvan {

struct MemoryBlockSpan {
  size_t keyword = 0;  // offset of "memory"
  size_t open = 0;     // offset of its "{"
  size_t close = 0;    // offset of the "}" that ends the block
};

// `text` with every "/* ... */" (an unclosed one: to the end) turned into
// blanks; line feeds inside comments stay. "//" is no comment here.
std::string BlankBlockComments(std::string_view text);

// Finds the block in a text already passed through BlankBlockComments.
bool FindMemoryBlock(std::string_view blanked, MemoryBlockSpan* span);

}  // namespace zelvan
