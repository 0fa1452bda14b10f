// The declaration parser on the shapes of real C and C++ sources: which
// functions a text defines, with their lines, types and arguments.
#include "scanner/declaration_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "scanner/c_text_scanner.h"

namespace zelvan {
namespace {

// One line per function: "<line> <type>|<display form>".
std::string Functions(std::string_view text, bool* ok) {
  std::vector<FunctionDatabaseEntry> functions;
  *ok = ParseFunctionsInText(text, &functions);
  std::string out;
  for (const FunctionDatabaseEntry& f : functions)
    out += std::to_string(f.line) + " " + f.type + "|" + f.DisplayForm() + "\n";
  return out;
}

struct ParserCase {
  const char* name;
  std::string_view text;
  const char* functions;
  bool ok = true;
};

TEST(DeclarationParserTest, FunctionsOfRealWorldShapes) {
  using namespace std::string_view_literals;
  const ParserCase cases[] = {
      // Declarations inside a body are no entries of their own.
      {"main", "int main(void) { int x; }", "1 int|main(void)\n"},
      // "extern" with a body still defines the function.
      {"prototype and extern",
       "int f(int a);\nextern int g(void) { return 0; }\nstatic int h();\nextern DB *\n"
       "open_db(file)\n  char *file;\n{\n}\n",
       "2 int|g(void)\n5 DB *|open_db(file)\n"},
      {"storage and pointer arguments",
       "static unsigned long f(char *p, int n)\n{\n  return n;\n}\n",
       "1 unsigned long|f(char * p,int n)\n"},
      {"return type on its own line", "static int\nlong_name (int a)\n{\n}\n",
       "2 int|long_name(int a)\n"},
      {"pointer results", "struct point *make_point(int x, int y) { }\nchar *\ndup(void) { }",
       "1 struct point *|make_point(int x,int y)\n3 char *|dup(void)\n"},
      {"array parameter", "int sum(const int v[], int n) { }", "1 int|sum(const int v,int n)\n"},
      {"K&R definition",
       "int add(a, b)\nint a;\nchar *b;\n{\n  return a;\n}\nint next(void) { }\n"
       "static void\nwalk(root, action)\n\tnode_t *root;\n\tvoid (*action) __P((void *));\n{\n}\n",
       "1 int|add(a,b)\n7 int|next(void)\n9 void|walk(root,action)\n"},
      {"prototype of typedef parameters", "void f(u32, u8);\nint g(void) { }", "2 int|g(void)\n"},
      {"function pointer parameter", "void on(void (*cb)(int, char), int n) { }",
       "1 void|on(void (* cb)(int, char),int n)\n"},
      {"function pointer result",
       "void (*signal(int sig, void (*fn)(int)))(int)\n{\n  return 0;\n}\n",
       "1 void *|signal(int sig,void (* fn)(int))\n"},
      {"function pointer objects",
       "typedef int (*cmp_fn)(const void *, const void *);\nint (*pick)(int) = 0;\n", ""},
      {"attributes",
       "__attribute__((noreturn)) void die(const char *m) { }\n"
       "static void __attribute__ ((unused)) quiet(void) { }\n"
       "void cold(void) __attribute__((cold));\n"
       "int __stdcall WinMain(int a) { }\n",
       "1 void|die(const char * m)\n2 void|quiet(void)\n4 int __stdcall|WinMain(int a)\n"},
      {"register bank", "__regbank(2) void isr(void) { }", "1 void|isr(void)\n"},
      {"macros before a definition",
       "EXPORT_API int api_open(int mode) { }\nDECLARE_THING(x)\nint after_macro(void) { }\n",
       "1 EXPORT_API int|api_open(int mode)\n3 int|after_macro(void)\n"},
      {"macro call before the name",
       "static void NORETURN PRINTF_STYLE(1,2)\ndie(const char *f, ...)\n{ }\n"
       "Transport TRANS(TcpFuncs) = {\n  open_tcp, close_tcp\n};\n",
       "2 void NORETURN PRINTF_STYLE|die(const char * f,...)\n"},
      {"annotations between the parameters and the body",
       "int f(void) __acquires(x) {\n}\nstatic int g(int a)\n\t__must_hold(&l)\n"
       "\t__releases(a) __acquires(b)\n{\n}\nvoid h(void) NOINLINE __attribute__((cold)) {\n}\n",
       "1 int|f(void)\n3 int|g(int a)\n8 void|h(void)\n"},
      {"annotations before the name",
       "static void\n__releases(&l->lock)\n__acquires(&l->lock)\nwake(struct s *s)\n{\n}\n"
       "static void __acquires(q)\nstop(int t)\n{\n}\n",
       "4 void __releases __acquires|wake(struct s * s)\n8 void __acquires|stop(int t)\n"},
      // Text that cannot be placed never hides a later definition.
      {"comma-separated lines with no semicolon",
       "DEF_ENTRY(a, b),\nDEF_ENTRY(c, d)\nint after_table(void) { }\na, b, c\n"
       "unsigned long* get(void) { }\nint x = 1, y = 2\nstatic int f(void) { }\n",
       "3 int|after_table(void)\n5 unsigned long*|get(void)\n7 int|f(void)\n"},
      {"body of a pragma asm block",
       "#pragma asm\n    mov r0, #1\n    add r0, r1\n#pragma endasm\nint f(void) { }\nint g(void) "
       "{ }\n",
       "5 int|f(void)\n6 int|g(void)\n"},
      {"macro calls with no semicolon",
       "weak_alias (a, b)\nstrong_alias ( c, d)\n\nint g(const T *p, int *k)\n{\n}\n"
       "FOO(a, b)\nstatic int\nbar (void)\n{\n}\nFOO(x) int\nf(void) { }\n",
       "4 int|g(const T * p,int * k)\n9 int|bar(void)\n13 FOO x int|f(void)\n"},
      {"macro that defines a function", "DEFINE_HANDLER(irq) { return 0; }\nint after(void) { }",
       "2 int|after(void)\n"},
      // Definitions in the old style with no type at all.
      {"no type",
       "main ()\n{\n}\nisatty (fd)\n     int fd;\n{\n}\nstatic\nzero_bss()\n{\n}\n"
       "_getpid (n)\n{\n}\n",
       "1 |main()\n4 |isatty(fd)\n9 |zero_bss()\n12 |_getpid(n)\n"},
      {"macro calls that look like definitions with no type",
       "weak_alias (a, b)\nstruct s {\n  int x;\n};\nfree_ptr (\nstatic struct t\n{\n  int a;\n"
       "} *p);\n__printf(2, 3) static void log_it(const char *f, ...)\n{\n}\n"
       "static __realloc_size(2) void *\nresize(void *p)\n{\n}\n"
       "int scan(d, sel)\n  char *d;\n  int (*sel) __P((int));\n{\n}\n",
       "10 __printf void|log_it(const char * f,...)\n14 __realloc_size void *|resize(void * "
       "p)\n"
       "17 int|scan(d,sel)\n"},
      {"parameters wrapped in a macro", "static void\nlock_all __P((void))\n{\n}\n",
       "2 void|lock_all(void)\n"},
      {"brackets holding quotes", "static char buf[sizeof(\"[]:n\")];\nint f(void) { }\n",
       "2 int|f(void)\n"},
      {"static inline in a guarded header",
       "#ifndef UTIL_H\n#define UTIL_H\nstatic inline int max(int a, int b)\n"
       "{ return a > b ? a : b; }\n#endif\n",
       "3 inline int|max(int a,int b)\n"},
      // Every configuration's functions, but one body for each.
      {"conditional branches",
       "#if 0\nint never(void) { }\n#endif\n#ifdef CONFIG_X\nint x_on(void) { return 1; }\n"
       "#else\nint x_off(void) { return 0; }\n#endif\n#ifndef _REENT_ONLY\nint r(void) { "
       "}\n#endif\n",
       "5 int|x_on(void)\n7 int|x_off(void)\n10 int|r(void)\n"},
      {"conditional heads of one definition",
       "#ifdef X\nint f(int a)\n#else\nint f(a) int a;\n#endif\n{\n}\n"
       "#ifdef X\nint g(int a) {\n#elif Y\nint g(long a) {\n#else\nint g(void) {\n#endif\n"
       "  return 0;\n}\nint after(void) { }\n",
       "2 int|f(int a)\n9 int|g(int a)\n17 int|after(void)\n"},
      {"conditionals inside bodies",
       "int h(void)\n{\n#ifdef X\n  if (a) {\n#else\n  if (b) {\n#endif\n  }\n"
       "#if A\n  a();\n#else\n  b();\n#endif\n}\nstruct s {\n#ifdef X\n  int a;\n#else\n"
       "  long a;\n#endif\n};\nint k(void) { }\n",
       "1 int|h(void)\n22 int|k(void)\n"},
      {"page break before a conditional",
       "int a;\n\f\n#ifdef X\nint f(void) { }\n#else\nint g(void) { }\n#endif\n",
       "4 int|f(void)\n6 int|g(void)\n"},
      {"parenthesised conditions of an RTOS kernel",
       "#if ( configUSE_MUTEXES == 1 )\nBaseType_t xGive( QueueHandle_t x )\n{\n}\n#endif\n"
       "#if ( 0 )\nvoid vOff( void ) { }\n#endif\n",
       "2 BaseType_t|xGive(QueueHandle_t x)\n"},
      {"nested struct and union bodies",
       "struct outer {\n  struct inner { int a; } in;\n  union { int i; float f; } u;\n"
       "  void (*cb)(int);\n} g_outer, *p_outer;\nint after(void) { }\n",
       "6 int|after(void)\n"},
      {"typedef struct and enum",
       "typedef struct { int a; } pair_t;\ntypedef enum { A = (1), B = A + 1 } mode_t;\n"
       "enum mode get_mode(void) { }\nenum { C } ;\nint last(void) { }\n",
       "3 enum mode|get_mode(void)\n5 int|last(void)\n"},
      {"initialisers with braces",
       "static const int table[2][2] = {{1, 2}, {3, 4}};\n"
       "struct ops o = { .open = f(1, 2), .close = g };\nint x = 1, y = 2;\n"
       "int next(void) { return 0; }\n",
       "4 int|next(void)\n"},
      {"extern C block",
       "extern \"C\" {\nint c_api(void) { return 0; }\nint c_two(int x) { return x; }\n}\n"
       "extern \"C\" int single(void) { }\n",
       "2 int|c_api(void)\n3 int|c_two(int x)\n5 int|single(void)\n"},
      {"extern C behind conditionals",
       "#ifdef __cplusplus\nextern \"C\" {\n#endif\nint a(void) { }\n#ifdef __cplusplus\n}\n"
       "#endif\nint b(void) { }\n",
       "4 int|a(void)\n8 int|b(void)\n"},
      {"C++ members defined in the class",
       "class Motor : public Device {\npublic:\n  Motor() : speed_(0) { }\n  ~Motor() { }\n"
       "  int speed() const { return speed_; }\n  void set(int s);\nprivate:\n  int speed_;\n};\n"
       "void Motor::set(int s) { speed_ = s; }\n",
       "3 |Motor()\n4 |~Motor()\n5 int|speed()\n10 void|Motor::set(int s)\n"},
      {"C++ default argument", "int scale(int v, int f = 2) { }", "1 int|scale(int v,int f = 2)\n"},
      {"braces in strings and comments",
       "const char *s = \"{\";\n/* } */\nint f(void) {\n  char c = '}'; // {\n  return 0;\n}\n"
       "int g(void) { }\n",
       "3 int|f(void)\n7 int|g(void)\n"},
      {"statements that look like definitions",
       "int f(int a, int b) {\n  if (a == b) { }\n  else if (a) { return g(a); }\n"
       "  switch (a) { case 1: { break; } }\n  while (a == b) { a++; }\n}\nint h(void) { }\n",
       "1 int|f(int a,int b)\n7 int|h(void)\n"},
      {"comparison ends a body", "int f(int a, int b) { if (a == b) {} }\nint g(void) { }",
       "1 int|f(int a,int b)\n2 int|g(void)\n"},
      {"directives the scanner leaves", "#pragma once\n#error stop\n# define X {\nint f(void) { }",
       "4 int|f(void)\n"},
      {"carriage returns of an editor's text", "int\r\nmain(void)\r\n{\r\n}\r\n",
       "2 int|main(void)\n"},
      {"binary bytes in names", "int caf\xe9\x01(void) { }\n\xff\xfe;",
       "1 int|caf\xe9\x01(void)\n"},
      {"unbalanced parenthesis ends at the declaration", "FOO(a;\nint f(void) { }",
       "2 int|f(void)\n"},
      {"enum never closed", "enum e { A, B\nint f(void) { }", "", false},
      {"empty text", "", ""},
  };
  for (const ParserCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << ": " << c.text);
    bool ok = false;
    EXPECT_EQ(Functions(c.text, &ok), c.functions);
    EXPECT_EQ(ok, c.ok);
  }
}

}  // namespace
}  // namespace zelvan
