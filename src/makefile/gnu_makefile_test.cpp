#include "makefile/gnu_makefile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <regex>

#include "makefile/compile_commands.h"
#include "makefile/host_make_text.h"
#include "model/status_codes.h"
#include "platform/child_process.h"
#include "platform/file_system.h"
#include "tests/support/makefile_workspace.h"
#include "tests/support/temp_dir.h"

namespace zelvan {
namespace {

using testing::Crlf;
using testing::ExpectText;
using testing::FsOp;

// Host paths below a real directory, so that make can read the host form:
// "C:\ws\a.c" is "<root>/C/ws/a.c".
class RootedFileSystem : public testing::FaultyFileSystem {
 public:
  RootedFileSystem(FileSystem& base, std::string root) : FaultyFileSystem(base), root_(root) {}
  std::string ToHostPath(std::string_view path) override {
    std::string host = FaultyFileSystem::ToHostPath(path);
    if (host.size() > 1 && host[1] == ':') return root_ + "/" + host[0] + host.substr(2);
    return host;
  }

 private:
  std::string root_;
};

class GnuMakefileTest : public testing::MakefileWorkspaceTest {
 protected:
  void SetUp() override {
    env_.platform.fs = &rooted_;
    MakefileWorkspaceTest::SetUp();
  }
  // The workspace goes before the file system it was given.
  void TearDown() override { workspace_.reset(); }
  // The text in the stored form; the host form, with the host root shown
  // as "<root>", is checked with GNU make on the way.
  std::string Text(std::string_view project, bool alone = false, bool host = false) {
    GnuMakefileOptions options;
    options.alone = alone;
    options.host_paths = host;
    std::string text;
    GenerateGnuMakefileText(*workspace_, states_, ProjectNamed(project), &cpus_, options, &text);
    if (!host) {
      Text(project, alone, true);
      return text;
    }
    ExpectMakeReads(text);
    for (size_t at = text.find(root_.path()); at != std::string::npos;
         at = text.find(root_.path(), at)) {
      text.replace(at, root_.path().size(), "<root>");
    }
    return text;
  }
  // GNU make reads the host form without a syntax error, for every target.
  void ExpectMakeReads(const std::string& text) {
    std::string make = FindProgramOnPath("make", "/usr/bin:/bin");
    if (make.empty()) return;
    std::string makefile = root_.WriteFile("test.mak", text);
    for (std::string target : {"Debug", "Release"}) {
      std::string output, error;
      int status = 0;
      ASSERT_TRUE(
          RunChildProcess({make, {"-n", "-p", "-f", makefile, "CFG=" + target, "all"}, {}, {}},
                          &output, &status, &error))
          << error;
      EXPECT_FALSE(std::regex_search(output, std::regex("test\\.mak:[0-9]+: \\*\\*\\*")))
          << output.substr(0, 2000) << "\n"
          << text;
      EXPECT_NE(output.find("# Files"), std::string::npos);
    }
  }

  testing::TempDir root_;
  RootedFileSystem rooted_{env_.fs, root_.path()};
};

const std::string kLib = R"([PROJECT]
OUTPUT=Lib.lib
CPU=MX-520
CPUFAMILY=MX-520
TARGET=Debug;
Folder=S;
)" + testing::SourceFolder("S", {"a.c", "b.asm"}) +
                         R"([PROJECT!MACRO!Debug]
DefaultCompile=-g
DefaultOUTPUT=.\out
DefaultTEMP=.\obj
LibraryOutput=.\out\Lib.lib
[Debug!b.asm]
COMPILE=-l
)";

const std::string kApp = R"([PROJECT]
OUTPUT=App.abs
CPU=MR44
CPUFAMILY=MR44
TARGET=Debug;
LinkProject=Lib;Gone.lib;
Folder=S;
)" + testing::SourceFolder("S", {"main.c", "gen.def", "App.lcf"}) +
                         R"([PROJECT!MACRO!Debug]
DefaultCompile=-g $(CC)
DefaultLink=-g
DefaultConvert=-Fs24
DefaultOUTPUT=.\out
DefaultTEMP=.\my tmp
ProjectBeforeBuildCommandCount=1
ProjectBeforeBuildCommand-0=stamp $(ProjDir)
[Debug!gen.def]
CustomBuild=1
CBuildCommandCount=1
CBuildCommand-0=gen $(InputPath)
CBuildOutputCount=1
CBuildOutput-0=gen.c
)";

// Lib first (App names it without its extension; Gone is no project), App
// last: every variable numbered, $(CC) in App's options too, $(OUTPUT) not.
TEST_F(GnuMakefileTest, WholeMakefileOfAProjectLinkingAnother) {
  Open({{"C:\\ws\\app\\App.kbp", kApp}, {"C:\\ws\\lib\\Lib.kbp", kLib}});
  // An include that was not found stays in the stored form only.
  Depend("App", "main.c", "Debug", {"..\\lib\\a.h", "none.h"});
  env_.AddFile("C:\\ws\\lib\\a.h", "");
  ExpectText(Text("App"), R"(#
# KOVA Generated GNU Format makefile, based on App.KBP
#
ifeq ($(CFG),Debug)
TEMP1=./obj
OUTPUT1=./out
CC1=cc520
AS1=as520
MAC1=mac520
LINK1=lk520
AR1=lb520
CONV1=cv520

SysLibraryPath1= -L K:\Tools\MX520\lib

SysIncludePath1= -I K:\Shared\include -I K:\Tools\MX520\include

INCS1=

OBJS1=$(TEMP1)\a.rel\
$(TEMP1)\b.rel
LIBS1=

LCF1=

WkspDir1=C:\ws
WkspName1=Demo
ProjDir1=C:\ws\lib
ProjName1=Lib
TargetPath1=.\out\Lib.lib
TargetDir1=.\out
TargetName1=Lib
InputPath1=.\out\Lib.lib
InputDir1=.\out
InputName1=Lib
OutDir1=.\out
TmpDir1=
IntDir1=.\obj

CC_Opt_All1=-g -$
CC_Def_Macro1=
CC_Undef_Macro1=
CC_Inc_Path1=
Lnk_Opt_All1= -$
Lnk_ObjLib_Name1=
Lnk_Ref_Symbol1=
Lnk_Search_Path1=
Cvt_Opt_All1= -$
Cvt_fillComment1=

TEMP2=./my\ tmp
OUTPUT2=./out
CC2=cc52ip
AS2=as52i
MPP=mpp52i
LINK2=lk52i
AR2=lb52i
CONV2=cv52i
FAL2=fal52i

SysLibraryPath2= -L K:\Tools\MR44\lib

SysIncludePath2= -I K:\Shared\include -I K:\Tools\MR44P\include -I K:\Tools\MR44\include

INCS2=

OBJS2=$(TEMP2)\main.rel
LIBS2=

LCF2=C:/ws/app/App.lcf

WkspDir2=C:\ws
WkspName2=Demo
ProjDir2=C:\ws\app
ProjName2=App
TargetPath2=$(OUTPUT)\App.abs
TargetDir2=$(OUTPUT)
TargetName2=App
InputPath2=$(OUTPUT)\App.abs
InputDir2=$(OUTPUT)
InputName2=App
OutDir2=.\out
TmpDir2=
IntDir2=.\my tmp

CC_Opt_All2=-g $(CC2) -$
CC_Def_Macro2=
CC_Undef_Macro2=
CC_Inc_Path2=
Lnk_Opt_All2=-g -$
Lnk_ObjLib_Name2=
Lnk_Ref_Symbol2=
Lnk_Search_Path2=
Cvt_Opt_All2=-Fs24 -$
Cvt_fillComment2=

all:\
out/Lib.lib\
prebuild2 out/App.abs out/App.s24

.\out\Lib.lib : $(OBJS1) $(LIBS1)
	$(AR1) -f.\Lib.klo

$(TEMP1)\a.rel : a.c
	$(CC1) -g -c  $(SysIncludePath1) "$<" -o "$@"

$(TEMP1)\b.rel : b.asm
	$(AS1) -l -c  $(SysIncludePath1) "$<" -o "$@"
	cp C:\ws\lib\b.lst C:\ws\lib\out\b.lst
	rm C:\ws\lib\b.lst

prebuild2:
	echo stamp $(ProjDir2)
	stamp $(ProjDir2)

out/App.s24 : out/App.abs
	cd C:\ws\app\out&&$(CONV2) -Fs24 -$ App.abs

$(OUTPUT2)/App.abs : $(OBJS2) $(LIBS2) $(LCF2)
	$(LINK2) -g -$ $(SysLibraryPath2) $(OBJS2) $(LIBS2)  $(LCF2)  -o "$@"

IntDir2=.\my tmp
InputPath2=main.c
InputDir2=.
InputName2=main
OutDir2=.\my tmp
OutName=main

$(TEMP2)\main.rel : main.c ..\lib\a.h none.h
	$(CC2) -g $(CC2) -c  $(SysIncludePath2) "$<" -o "$@"

IntDir2=.\my tmp
InputPath2=gen.def
InputDir2=.
InputName2=gen
OutDir2=.\my tmp
OutName=

"gen.c"  : gen.def 
	echo gen $(InputPath2)
	gen $(InputPath2)

Clean1 :
	rm C:\ws\lib\obj\a.asm
	rm C:\ws\lib\obj\a.i
	rm C:\ws\lib\obj\a.rel
	rm C:\ws\lib\obj\a.med
	rm C:\ws\lib\obj\b.rel
	rm C:\ws\lib\obj\b.med

Clean2 :
	rm "C:\ws\app\my tmp\main.asm"
	rm "C:\ws\app\my tmp\main.i"
	rm "C:\ws\app\my tmp\main.rel"
	rm "C:\ws\app\my tmp\main.fal"
	rm "C:\ws\app\my tmp\main.ims"
	rm "C:\ws\app\my tmp\main.irl"
	rm "C:\ws\app\my tmp\main.med"
	rm gen.c

endif

)",
             "stored form");
  // The host form: files by host paths, escaped for make in rules and one
  // shell word each in commands (no "$<", "$@" or "$(OBJS)" there),
  // commands in their project's directory, "$" of options doubled, objects
  // behind their command records, the link waiting for the linked modules,
  // an empty rule for each header (a header gone does not stop make).
  std::string host = Text("App", false, true);
  ExpectText(host.substr(host.find("all:\\"), host.find("Clean1 :") - host.find("all:\\")),
             R"(all:\
<root>/C/ws/lib/out/Lib.lib\
prebuild2 <root>/C/ws/app/out/App.abs <root>/C/ws/app/out/App.s24

<root>/C/ws/lib/out/Lib.lib : $(OBJS1) $(LIBS1)
	cd $(ProjDir1) && $(AR1) -f<root>/C/ws/lib/Lib.Debug.klo

<root>/C/ws/lib/obj/a.rel : <root>/C/ws/lib/a.c <root>/C/ws/lib/obj/a.rel.cmd
	cd $(ProjDir1) && $(CC1) -g -c  $(SysIncludePath1) <root>/C/ws/lib/a.c -o <root>/C/ws/lib/obj/a.rel

<root>/C/ws/lib/obj/b.rel : <root>/C/ws/lib/b.asm <root>/C/ws/lib/obj/b.rel.cmd
	cd $(ProjDir1) && $(AS1) -l -c  $(SysIncludePath1) <root>/C/ws/lib/b.asm -o <root>/C/ws/lib/obj/b.rel
	cd $(ProjDir1) && cp <root>/C/ws/lib/b.lst <root>/C/ws/lib/out/b.lst
	cd $(ProjDir1) && rm <root>/C/ws/lib/b.lst

prebuild2:
	@echo stamp $(ProjDir2)
	cd $(ProjDir2) && stamp $(ProjDir2)

<root>/C/ws/app/out/App.s24 : <root>/C/ws/app/out/App.abs
	cd <root>/C/ws/app/out && $(CONV2) -Fs24 -$$ App.abs

<root>/C/ws/app/out/App.abs : $(OBJS2) $(LIBS2) $(LCF2) <root>/C/ws/lib/out/Lib.lib
	cd $(ProjDir2) && $(LINK2) -g -$$ $(SysLibraryPath2) '<root>/C/ws/app/my tmp/main.rel'  <root>/C/ws/app/App.lcf -o <root>/C/ws/app/out/App.abs

IntDir2='<root>/C/ws/app/my tmp'
InputPath2=<root>/C/ws/app/main.c
InputDir2=<root>/C/ws/app
InputName2=main
OutDir2='<root>/C/ws/app/my tmp'
OutName=main

<root>/C/ws/app/my\ tmp/main.rel : <root>/C/ws/app/main.c <root>/C/ws/lib/a.h <root>/C/ws/app/my\ tmp/main.rel.cmd
	cd $(ProjDir2) && $(CC2) -g $(CC2) -c  $(SysIncludePath2) <root>/C/ws/app/main.c -o '<root>/C/ws/app/my tmp/main.rel'

IntDir2='<root>/C/ws/app/my tmp'
InputPath2=<root>/C/ws/app/gen.def
InputDir2=<root>/C/ws/app
InputName2=gen
OutDir2='<root>/C/ws/app/my tmp'
OutName=

<root>/C/ws/app/gen.c : <root>/C/ws/app/gen.def
	@echo gen $(InputPath2)
	cd $(ProjDir2) && gen $(InputPath2)

<root>/C/ws/lib/a.h :

<root>/C/ws/lib/obj/a.rel.cmd :
<root>/C/ws/lib/obj/b.rel.cmd :
<root>/C/ws/app/my\ tmp/main.rel.cmd :

)",
             "host form");
  EXPECT_NE(host.find("\nSysIncludePath2= -I <root>/K/Shared/include"), std::string::npos);
  // App.lcf is not on the disk and no rule makes it: no prerequisite, which
  // would stop make; the link command still names it.
  EXPECT_NE(host.find("\nLCF2=\n"), std::string::npos);
}

TEST_F(GnuMakefileTest, ProjectAloneAndNoLinkedProjectWithoutTheTarget) {
  Open({{"C:\\ws\\tool\\Tool.kbp", R"([PROJECT]
OUTPUT=Tool.abs
CPU=MX-520
CPUFAMILY=MX-520
TARGET=Debug;Release;
LinkProject=Lib.lib;
Folder=S;
[S]
SOURCECOUNT=1
SOURCE0=t.c
[PROJECT!MACRO!Debug]
DefaultLink=-o .\out\Tool.abs
)"},
        {"C:\\ws\\lib\\Lib.kbp", kLib}});
  for (bool alone : {true, false}) {
    std::string text = Text("Tool", alone);
    // Lib has no Release: that block makes Tool (number 2) alone.
    std::string release = text.substr(text.find("ifeq ($(CFG),Release)"));
    EXPECT_EQ(text.find("OBJS2") != std::string::npos, !alone) << text;
    EXPECT_EQ(release.find("OBJS1") != std::string::npos, alone) << text;
    EXPECT_NE(release.find(alone ? "OBJS1=" : "OBJS2="), std::string::npos) << text;
    EXPECT_NE(text.find("Clean1 :"), std::string::npos);
  }
}

TEST_F(GnuMakefileTest, WrittenWholeOrNotAtAll) {
  std::vector<std::string> files;
  for (int i = 0; i < 3000; ++i)
    files.push_back("src\\file" + std::to_string(i) + ".c");
  Open({{"C:\\ws\\big\\Big.kbp",
         "[PROJECT]\nOUTPUT=Big.abs\nCPU=MX-520\nTARGET=Debug;\nFolder=S;\n" +
             testing::SourceFolder("S", files)}});
  Project& big = ProjectNamed("Big");
  env_.AddFile(big.paths().makefile, "old");
  env_.memory.SetReadOnly(big.paths().makefile, true);
  ASSERT_TRUE(GenerateGnuMakefile(*workspace_, states_, &cpus_, big, "0"));
  std::string text;
  GenerateGnuMakefileText(*workspace_, states_, big, &cpus_, {}, &text);
  EXPECT_GT(text.size(), 300000u);
  EXPECT_EQ(env_.Contents(big.paths().makefile), testing::Crlf(text));  // read-only replaced
  env_.fs.FailNth(FsOp::kRename, 1);
  Status failed = GenerateGnuMakefile(*workspace_, states_, &cpus_, big, "1");
  EXPECT_EQ(failed.code(), kStatusMakefileNotWritten);
  EXPECT_EQ(failed.message_id(), kMsgMakefileNotWritten);
  EXPECT_EQ(failed.ToString(), "replacing the file: injected fault");
  EXPECT_EQ(env_.Contents(big.paths().makefile), testing::Crlf(text));
}

TEST(NumberMakeVariablesTest, ListedNamesOnly) {
  const struct {
    const char* text;
    const char* numbered;
  } cases[] = {
      {"$(CC) $(OUTPUT) $(CCL)x $(TEMP1)", "$(CC7) $(OUTPUT) $(CCL7)x $(TEMP1)"},
      {"TEMP=a\nOutName=b\nIntDir=$(IntDir)\n\tCC=c\n",
       "TEMP7=a\nOutName=b\nIntDir7=$(IntDir7)\n\tCC=c\n"},
      {"$(CC", "$(CC"},
      {"SysIncludePath= -I x\n", "SysIncludePath7= -I x\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NumberMakeVariables(c.text, 7), c.numbered) << c.text;
}

TEST(HostPathMapperTest, WordsThatNamePaths) {
  testing::MemoryFileSystem fs;
  HostPathMapper mapper(fs);
  const struct {
    const char* words;
    const char* host;
  } cases[] = {
      {"-I..\\include -DX=1", "-I../include -DX=1"},
      {"cp C:\\ws\\a.lst \"C:\\ws\\out dir\\a.lst\"", "cp C:/ws/a.lst 'C:/ws/out dir/a.lst'"},
      {"-g -$  $(SysLibraryPath) $$x \"$<\" -o \"$@\"",
       "-g -$$  $(SysLibraryPath) $$x \"$<\" -o \"$@\""},
      {"-lf.\\list\\a.lst $(OutDir)\\x.c -DS=\\\"a\\\"",
       "-lf./list/a.lst $(OutDir)/x.c -DS=\\\"a\\\""},
      {"-IK:\\inc -o obj\\a.rel", "-IK:/inc -o obj/a.rel"},
      // A path is one shell word whatever its name holds; a reference to a
      // variable of the makefile stays one, anything else that looks like
      // a reference is text.
      {"rm C:\\ws\\it's\\`x`$y.c", "rm 'C:/ws/it'\\''s/`x`$$y.c'"},
      {"cp \"$(OutDir)\\a b.c\" C:\\$(x-y)\\a.c", "cp $(OutDir)'/a b.c' 'C:/$$(x-y)/a.c'"},
      // Those variables hold shell words: double quotes let them be.
      {"gen \"$(InputPath)\" \"-o$(InputName).c\"",
       "gen \"\"$(InputPath)\"\" \"-o\"$(InputName)\".c\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(mapper.Words(c.words), c.host) << c.words;
  EXPECT_EQ(mapper.File("\"C:\\a b\\#1.c\""), "C\\:/a\\ b/\\#1.c");
  EXPECT_EQ(mapper.Word("\"C:\\a b\\#1.c\""), "'C:/a b/#1.c'");
  EXPECT_EQ(mapper.Unnamable(), "");
  mapper.File("C:\\a\\b;c.c");
  mapper.File("C:\\a\\d|e.c");
  EXPECT_EQ(mapper.Unnamable(), "C:/a/b;c.c");
  EXPECT_EQ(ToGnuPath(".\\my tmp\\x"), "./my\\ tmp/x");
}

// A host path as a rule names it, as a word of a command, and whether a
// rule can name it at all.
TEST(HostMakeTextTest, NamesForMakeAndForTheShell) {
  const struct {
    const char* path;
    const char* make;
    const char* command;
    bool nameable;
  } cases[] = {
      {"/ws/main.c", "/ws/main.c", "/ws/main.c", true},
      {"/ws/a b/x.c", "/ws/a\\ b/x.c", "'/ws/a b/x.c'", true},
      {"/ws/it's \"q\".c", "/ws/it's\\ \"q\".c", "'/ws/it'\\''s \"q\".c'", true},
      {"/ws/dol$HOME.c", "/ws/dol$$HOME.c", "'/ws/dol$$HOME.c'", true},
      {"/ws/$(shell x).c", "/ws/$$(shell\\ x).c", "'/ws/$$(shell x).c'", true},
      {"/ws/hash#1.c", "/ws/hash\\#1.c", "'/ws/hash#1.c'", true},
      {"/ws/co:lon.c", "/ws/co\\:lon.c", "/ws/co:lon.c", true},
      {"/ws/eq=1.c", "/ws/eq$(if ,,=)1.c", "'/ws/eq=1.c'", true},
      {"/ws/`touch P`&b.c", "/ws/`touch\\ P`&b.c", "'/ws/`touch P`&b.c'", true},
      {"/ws/t\tb.c", "/ws/t\\\tb.c", "'/ws/t\tb.c'", false},
      {"/ws/a;b.c", "/ws/a;b.c", "'/ws/a;b.c'", false},
      {"/ws/p|x.c", "/ws/p|x.c", "'/ws/p|x.c'", false},
      {"/ws/s*.c", "/ws/s*.c", "'/ws/s*.c'", false},
      {"/ws/q?.c", "/ws/q?.c", "'/ws/q?.c'", false},
      {"/ws/p%.c", "/ws/p%.c", "/ws/p%.c", false},
      {"/ws/n\nl.c", "/ws/n\nl.c", "'/ws/n\nl.c'", false},
      {"/ws/\xe9t\xe9.c", "/ws/\xe9t\xe9.c", "'/ws/\xe9t\xe9.c'", true},
      // A double-byte character whose trail byte is "\" (code page 932).
      {"/ws/\x83\\.c", "/ws/\x83\\.c", "'/ws/\x83\\.c'", true},
      {"/ws/\x83\\ x.c", "/ws/\x83\\\\ x.c", "'/ws/\x83\\ x.c'", false},
      {"/ws/\x83\\#.c", "/ws/\x83\\\\#.c", "'/ws/\x83\\#.c'", false},
      {"/ws/\x83\\", "/ws/\x83\\", "'/ws/\x83\\'", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeForMake(c.path), c.make) << c.path;
    EXPECT_EQ(RecipeWord(c.path), c.command) << c.path;
    EXPECT_EQ(MakeCanName(c.path), c.nameable) << c.path;
  }
  EXPECT_EQ(QuoteForShell(""), "''");
  EXPECT_EQ(QuoteForShell("a$b"), "'a$b'");
  EXPECT_EQ(DefinitionValue("'/a#b' -DX=#1"), "'/a\\#b' -DX=\\#1");
}

// An entry per C source of the target (no assembler source), read back; the
// command as the compile rule forms it, every include directory full.
TEST_F(GnuMakefileTest, CompileCommandsReadBack) {
  Open({{"C:\\ws\\app\\App.kbp", kApp}, {"C:\\ws\\lib\\Lib.kbp", kLib}});
  auto json = nlohmann::json::parse(BuildCompileCommands(
      *workspace_, states_, {&ProjectNamed("Lib"), &ProjectNamed("App")}, &cpus_, "Debug"));
  ASSERT_EQ(json.size(), 2u);  // a.c, main.c; no assembler source, no custom build step
  std::string root = root_.path();
  EXPECT_EQ(json[0]["directory"], root + "/C/ws/lib");
  EXPECT_EQ(json[0]["file"], root + "/C/ws/lib/a.c");
  EXPECT_EQ(json[0]["output"], root + "/C/ws/lib/obj/a.rel");
  EXPECT_EQ(json[0]["arguments"],
            nlohmann::json({"cc520", "-g", "-c", "-I", root + "/K/Shared/include", "-I",
                            root + "/K/Tools/MX520/include", root + "/C/ws/lib/a.c", "-o",
                            root + "/C/ws/lib/obj/a.rel"}));
  EXPECT_EQ(json[1]["output"], root + "/C/ws/app/my tmp/main.rel");
}

}  // namespace
}  // namespace zelvan
