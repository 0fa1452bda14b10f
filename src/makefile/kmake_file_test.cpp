#include "makefile/kmake_file.h"

#include <gtest/gtest.h>

#include "makefile/compile_rules.h"
#include "makefile/custom_build_rules.h"
#include "makefile/make_context.h"
#include "makefile/output_plan.h"
#include "makefile/target_rules.h"
#include "model/dependency_record.h"
#include "model/status_codes.h"
#include "model/workspace_hooks.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "storage/text_table.h"
#include "tests/support/makefile_workspace.h"
#include "toolchain/cpu_table.h"

namespace zelvan {
namespace {

using testing::Crlf;
using testing::ExpectText;
using testing::FsOp;
using testing::SourceFolder;

class KmakeFileTest : public testing::MakefileWorkspaceTest {
 protected:
  std::string Text(std::string_view project, MakeMode mode = NormalMode,
                   std::optional<std::string_view> target = std::nullopt, bool clean = false,
                   OutputPlan* plan = nullptr) {
    std::string text;
    EXPECT_TRUE(GenerateKmakeText(*workspace_, states_, ProjectNamed(project), &cpus_, mode, target,
                                  clean, &text, plan));
    return text;
  }
};

const std::string kApp =
    R"([PROJECT]
OUTPUT=App.abs
CPU=MX-520
CPUFAMILY=MX-520
TARGET=Debug;
LinkProject=Lib.lib;Gone.lib;
Folder=S;
)" +
    SourceFolder("S", {"main.c", "boot.asm", "my dir\\space fn.c", "skip.c", "tables.def",
                       "tables.c", "notes.txt", "App.lcf", "extra.rel", "rt.lib", "app.h",
                       "inc #1\\x y.h", "rules.cl"}) +
    R"([PROJECT!MACRO!Debug]
DefaultCompile=-g -DTAG=#1 -I..\inc
DefaultLink=-g -l -o .\out\App.abs extra.rel
DefaultConvert=-Fs24
DefaultOUTPUT=.\out
DefaultTEMP=.\obj
DefaultWORK=.
TARGET=.\out\App.abs
TARGET_NAME=App.abs
ProjectBeforeLinkCommandCount=1
ProjectBeforeLinkCommand-0=echo linking
ProjectAfterBuildTitle=Done
ProjectAfterBuildCommandCount=1
ProjectAfterBuildCommand-0=size $(TargetPath)
ProjectCBuildComment=Packing
ProjectCBuildCommandCount=1
ProjectCBuildCommand-0=pack $(TargetPath)
ProjectCBuildOutputCount=1
ProjectCBuildOutput-0=$(OutDir)\App.pak
[Debug!boot.asm]
COMPILE=-Oal -l
[Debug!my dir\space fn.c]
TEMP=.\tmp dir
[Debug!skip.c]
NoBuild=1
[Debug!tables.def]
CustomBuild=1
CBuildComment=Tables
CBuildCommandCount=1
CBuildCommand-0=gentab $(InputPath) tables.c
CBuildOutputCount=1
CBuildOutput-0=tables.c
CBuildDependencyCount=2
CBuildDependency-0=app.h
CBuildDependency-1=missing.h
)";

const std::string kLib = R"([PROJECT]
OUTPUT=Lib.lib
CPU=MR44A
CPUFAMILY=MR44A
TARGET=Debug;Release;
Folder=Sources;
)" + SourceFolder("Sources", {"a.c", "b.asm"}) +
                         R"([PROJECT!MACRO!Debug]
DefaultCompile=-g
DefaultOUTPUT=.\Debug
DefaultTEMP=.\Debug\obj
[PROJECT!MACRO!Release]
DefaultCompile=-O2
DefaultOUTPUT=.\Release
DefaultTEMP=.\Release\obj
)";

// The rules of the first block, from "all :" up to its Clean section.
std::string Rules(const std::string& text) {
  size_t from = text.find("all : ");
  size_t to = std::min(text.find("Clean :\n"), text.find("endif\n"));
  return from == std::string::npos ? text : text.substr(from, to - from);
}

TEST_F(KmakeFileTest, WholeMakefileOfAProjectWithEveryKindOfStep) {
  Open({{"C:\\ws\\app\\App.kbp", kApp}, {"C:\\ws\\lib\\Lib.kbp", kLib}});
  env_.AddFile("C:\\ws\\app\\app.h", "");
  Depend("App", "main.c", "Debug", {"app.h", "..\\inc\\board.h", "D:\\KOVA\\include\\std io.h"});
  Depend("App", "tables.c", "Debug", {"app.h"});
  OutputPlan plan;
  const std::string text = Text("App", NormalMode, std::nullopt, false, &plan);
  const size_t clean = text.find("Clean :\n");
  ExpectText(text.substr(0, clean), R"(#
# KOVA Generated KMAKE File, based on App.kbp
#
ifeq($(CFG),Debug)
DefaultTEMP=.\obj
DefaultOUTPUT=.\out
DefaultWORK=.
TEMP=
OUTPUT=
WORK=
TARGET=.\out\App.abs
TARGET_NAME=App.abs
TEMP=.\obj
OUTPUT=.\out
CC=cc520
AS=as520
MAC=mac520
LINK=lk520
AR=lb520
CONV=cv520

SysLibraryPath= -L K:\Tools\MX520\lib

SysIncludePath= -I K:\Shared\include -I K:\Tools\MX520\include

INCS= \
app.h \
"inc '#1\x y.h"

OBJS= \
"$(TEMP)\main.rel" \
"$(TEMP)\boot.rel" \
".\tmp dir\space fn.rel" \
"$(TEMP)\tables.rel" \
"$(TEMP)\rules.rel"

LIBS= \
extra.rel \
rt.lib

LCF=C:\ws\app\App.lcf

WkspDir=C:\ws
WkspName=Demo
ProjDir=C:\ws\app
ProjName=App
TargetPath=.\out\App.abs
TargetDir=.\out
TargetName=App
InputPath=.\out\App.abs
InputDir=.\out
InputName=App
OutDir=.\out
TmpDir=.
IntDir=.\obj

CC_Opt_All=-g -DTAG='#1 -I..\inc -$
CC_Def_Macro=-DTAG='#1
CC_Undef_Macro=
CC_Inc_Path=-I..\inc
Lnk_Opt_All=-g -l  extra.rel -$
Lnk_ObjLib_Name=extra.rel
Lnk_Ref_Symbol=
Lnk_Search_Path=
Cvt_Opt_All=-Fs24 -$
Cvt_fillComment=

all : link  ".\out\App.abs" "out\App.s24" ".\out\App.pak"

link :
	cd C:\ws\lib\&&kmake $(MAKEFLAGS) -f C:\ws\lib\Lib.mak

"out\App.s24" : "out\App.abs"
	cd C:\ws\app\out&&$(CONV) -Fs24 -$ App.abs
	echo Done
	echo size $(TargetPath)
	size $(TargetPath)

.\out\App.abs : $(OBJS) $(LIBS) $(LCF)
	echo linking
	$(LINK) -g -l -o .\out\App.abs -$ -lfout\App.map  $(SysLibraryPath) $(OBJS) $(LIBS) extra.rel $(LCF) 

".\out\App.pak"  : ".\out\App.abs"
	echo Packing
	echo pack $(TargetPath)
	pack $(TargetPath)

"$(TEMP)\main.rel" : main.c app.h ..\inc\board.h "D:\KOVA\include\std io.h"
	$(CC) -g -DTAG='#1 -I..\inc -c  $(SysIncludePath) $< -o $@

"$(TEMP)\boot.rel" : boot.asm
	$(AS) -Oal -l -c  $(SysIncludePath) $< -o $@
	cp C:\ws\app\boot.lst C:\ws\app\out\boot.lst
	rm C:\ws\app\boot.lst

".\tmp dir\space fn.rel" : "my dir\space fn.c"
	$(CC) -g -DTAG='#1 -I..\inc -c  $(SysIncludePath) $< -o $@

IntDir=.\obj
InputPath=tables.def
InputDir=.
InputName=tables
OutDir=.\obj
OutName=

"tables.c"  : tables.def app.h 
	echo Tables
	echo gentab $(InputPath) tables.c
	gentab $(InputPath) tables.c

"$(TEMP)\tables.rel" : tables.c app.h
	$(CC) -g -DTAG='#1 -I..\inc -c  $(SysIncludePath) $< -o $@

"$(TEMP)\rules.rel" : rules.cl
	$(CCL) -g -DTAG='#1 -I..\inc -c  $(SysIncludePath) $< -o $@

)",
             "App");
  // Clean: what each built file leaves (see CleanLinesOfEveryKind), in its
  // own TEMP, then the project step's output; tables.c is made by the step of
  // tables.def, which therefore stays out of "all" and Clean, as skip.c does.
  EXPECT_NE(
      text.find("\trm C:\\ws\\app\\obj\\boot.med\n\trm \"C:\\ws\\app\\tmp dir\\space fn.asm\"\n"),
      std::string::npos);
  EXPECT_NE(text.find("\trm C:\\ws\\app\\obj\\rules.rel\n\trm .\\out\\App.pak\n\nendif\n"),
            std::string::npos);
  EXPECT_EQ(text.find("\trm tables.c", clean), std::string::npos);
  EXPECT_EQ(text.find("skip.", clean), std::string::npos);
  Project& app = ProjectNamed("App");
  EXPECT_TRUE(app.sources().FindByRelativePath("tables.def")->HasFlag(SourceFile::kConsumedOutput));
  EXPECT_EQ(app.sources().FindByRelativePath("boot.asm")->make_lists().ims_move_steps,
            std::vector<std::string>{"\tcp C:\\ws\\app\\boot.ims C:\\ws\\app\\obj\\boot.ims\n"
                                     "\trm C:\\ws\\app\\boot.ims\n"});
  // The directories the rules name are planned, each once, and nothing is
  // made on the way.
  EXPECT_EQ(plan.folders, (std::vector<std::string>{"C:\\ws\\app\\tmp dir", "C:\\ws\\app\\out",
                                                    "C:\\ws\\app\\", "C:\\ws\\app\\obj"}));
  EXPECT_TRUE(plan.files.empty());
  EXPECT_FALSE(DirectoryExists(env_.fs, "C:\\ws\\app\\out"));
}

struct RuleCase {
  const char* name;
  const char* cpu;      // CPU and family
  const char* file;     // its path in the project
  const char* options;  // its own COMPILE
  MakeMode mode;
  bool source_folder;
  // The rule, then the steps kept apart (make_lists().ims_move_steps), each after "ims:".
  const char* expected;
};

const RuleCase kRuleCases[] = {
    {"C with -c -P: a preprocessor command and the .i moved", "MX-520", "a.c", "-c -P -O1",
     NormalMode, false, R"("$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -c  -O1 $(SysIncludePath) $< -o $@
	$(CC) -P   -O1 $(SysIncludePath) $<
	cp C:\ws\one\a.i C:\ws\one\obj\a.i
	rm C:\ws\one\a.i

)"},
    {"C with a listing and -Xi: the listing to OUTPUT, the .med to TEMP", "MX-520", "a.c", "-l -Xi",
     NormalMode, false, R"("$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -l -Xi -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst
	cp C:\ws\one\a.med C:\ws\one\obj\a.med
	rm C:\ws\one\a.med

)"},
    {"C with -XF, a blank in the name: each side file quoted", "MX-520", "b c.c", "-XF", NormalMode,
     false, R"("$(TEMP)\b c.rel" : "b c.c" one.h "..\inc\x y.h"
	$(CC) -XF -c  $(SysIncludePath) $< -o $@
	cp "C:\ws\one\b c.asm" "C:\ws\one\obj\b c.asm"
	rm "C:\ws\one\b c.asm"

)"},
    {"C with -XF", "MX-520", "a.c", "-XF", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -XF -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.asm C:\ws\one\obj\a.asm
	rm C:\ws\one\a.asm

)"},
    {"C with -Oal: .asm copied, .ims kept apart", "MX-520", "a.c", "-Oal", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -Oal -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.asm C:\ws\one\obj\a.asm
	rm C:\ws\one\a.asm

ims:	cp C:\ws\one\a.ims C:\ws\one\obj\a.ims
	rm C:\ws\one\a.ims
)"},
    {"C with a listing file of its own and a macro", "MX-520", "a.c", "-lf$(OutDir)\\lst\\a.lst",
     NormalMode, false, R"(IntDir=.\obj
InputPath=a.c
InputDir=.
InputName=a
OutDir=.\obj
OutName=a

"$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -lf$(OutDir)\lst\a.lst -c  $(SysIncludePath) $< -o $@

)"},
    {"AS of MR44A with -kumpp=on", "MR44A", "a.asm", "-l -kumpp=on", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.asm one.h "..\inc\x y.h"
	$(AS) -l -kumpp=on -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst
	cp C:\ws\one\a.med C:\ws\one\obj\a.med
	rm C:\ws\one\a.med

)"},
    {"MPP of MR44 with a listing: no .med for MR44", "MR44", "a.mpp", "-l", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.mpp one.h "..\inc\x y.h"
	$(MPP) -l -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst

)"},
    {"MAC of MX-520 with a listing", "MX-520", "a.mac", "-l", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.mac one.h "..\inc\x y.h"
	$(MAC) -l -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst
	cp C:\ws\one\a.med C:\ws\one\obj\a.med
	rm C:\ws\one\a.med

)"},
    {"MAC of MX-520 with -Mi", "MX-520", "a.mac", "-l -Mi", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.mac one.h "..\inc\x y.h"
	$(MAC) -l -Mi -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst

)"},
    {"APP of MR44A with -kumpp=off", "MR44A", "a.app", "-l -kumpp=off", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.app one.h "..\inc\x y.h"
	$(APP) -l -kumpp=off -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst

)"},
    {"source-folder mode", "MX-520", "sub\\a.c", "-l", NormalMode, true,
     R"(C:\ws\one\obj\a.rel : C:\ws\one\sub\a.c one.h "..\inc\x y.h"
	$(CC) -l -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\sub\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\sub\a.lst

)"},
    {"FalMode: the FAL form, side files removed in _FALTMP_", "MR44", "a.c", "-P -l -o x.rel",
     FalMode, false, R"("$(OUTPUT)\a.rel" : "a.c" one.h "..\inc\x y.h"
	$(CC)  -c  -g -GF  -l  $(SysIncludePath) "C:\ws\one\a.c" -o $@
	rm C:\ws\one\a.lst
	rm C:\ws\one\a.i

)"},
};

TEST_F(KmakeFileTest, CompileRulesOfEveryKind) {
  for (const RuleCase& c : kRuleCases) {
    std::string project =
        std::string("[PROJECT]\nOUTPUT=One.abs\nCPU=") + c.cpu + "\nCPUFAMILY=" + c.cpu +
        "\nTARGET=Debug;\nFolder=S;\n[S]\nSOURCECOUNT=1\nSOURCE0=" + c.file +
        "\n[PROJECT!MACRO!Debug]\nDefaultCompile=-g\nDefaultOUTPUT=.\\out\n"
        "DefaultTEMP=.\\obj\nSourceFolder=" +
        (c.source_folder ? "1" : "0") + "\n[Debug!" + c.file + "]\nCOMPILE=" + c.options + "\n";
    Open({{"C:\\ws\\one\\One.kbp", project}});
    Depend("One", c.file, "Debug", {"one.h", "..\\inc\\x y.h"});
    MakeContext context(*workspace_, states_, ProjectNamed("One"), &cpus_, "Debug", c.mode);
    PrepareTarget(context);
    std::string text;
    BuildCompileRule(context, context.files()[0], &text);
    for (const std::string& step : context.files()[0].file->make_lists().ims_move_steps)
      text += "ims:" + step;
    ExpectText(text, c.expected, c.name);
  }
}

// What Clean removes of each kind: the object's directory, title and these
// extensions; the MR44 family leaves more.
TEST_F(KmakeFileTest, CleanLinesOfEveryKind) {
  const struct {
    const char* cpu;
    const char* file;
    std::vector<const char*> removed;
  } cases[] = {
      {"MX-520", "a.c", {"asm", "i", "rel", "med"}},
      {"MR44A", "a.c", {"asm", "i", "rel", "fal", "ims", "irl", "med"}},
      {"MR44", "a.asm", {"rel", "fal", "ims", "irl", "med"}},
      {"MX-520", "a.mac", {"med", "rel", "asm"}},
      {"MR44", "a.mac", {"med", "rel", "asm", "ims", "irl"}},
      {"MR44", "a.app", {"rel", "asm", "ims", "irl", "med"}},
      {"MX-520", "a.cl", {"cpl", "rel"}},
      {"MR44", "a.mpp", {"med", "rel", "eas", "ims", "irl", "i"}},
      {"MX-520", "a.rel", {}},
      {"MX-520", "a.txt", {}},
  };
  for (const auto& c : cases) {
    Open({{"C:\\ws\\one\\One.kbp",
           std::string("[PROJECT]\nOUTPUT=One.abs\nCPU=") + c.cpu + "\nCPUFAMILY=" + c.cpu +
               "\nTARGET=Debug;\nFolder=S;\n[S]\nSOURCECOUNT=1\nSOURCE0=" + c.file +
               "\n[PROJECT!MACRO!Debug]\nTEMP=.\\obj\n"}});
    MakeContext context(*workspace_, states_, ProjectNamed("One"), &cpus_, "Debug", NormalMode);
    PrepareTarget(context);
    std::string text, expected;
    BuildCleanLine(context, context.files()[0], &text);
    for (const char* extension : c.removed)
      expected += std::string("\trm C:\\ws\\one\\obj\\a.") + extension + "\n";
    ExpectText(text, expected, std::string(c.cpu) + " " + c.file);
  }
}

// A small executable of MR44 in each mode: the rules of the block.
const std::string kTiny = R"([PROJECT]
OUTPUT=Tiny.abs
CPU=MR44
CPUFAMILY=MR44
TARGET=Debug;
LinkProject=Lib.lib;
Folder=S;
)" + SourceFolder("S", {"main.c", "start.asm", "my link.lcf", "gen.h"}) +
                          R"([PROJECT!MACRO!Debug]
DefaultCompile=-g
DefaultLink=-g -l
DefaultConvert=-Fs32
DefaultOUTPUT=.\out
DefaultTEMP=.\obj
TARGET_NAME=Tiny.abs
ProjectBeforeLinkTitle=Linking
ProjectBeforeLinkCommandCount=2
ProjectBeforeLinkCommand-0=  ECHO begin
ProjectBeforeLinkCommand-1=stamp
ProjectAfterBuildCommandCount=1
ProjectAfterBuildCommand-0=report
ProjectCBuildOutputCount=1
ProjectCBuildOutput-0=$(OUTPUT)\Tiny.pak
ProjectCBuildCommandCount=1
ProjectCBuildCommand-0=pack
)";

TEST_F(KmakeFileTest, RulesOfAnExecutableInEveryMode) {
  const struct {
    MakeMode mode;
    const char* expected;
  } cases[] = {
      {NormalMode, R"(all : link  "$(OUTPUT)\Tiny.abs" "out\Tiny.s32" ".\out\Tiny.pak"

link :
	cd C:\ws\lib\&&kmake $(MAKEFLAGS) -f C:\ws\lib\Lib.mak

"out\Tiny.s32" : "out\Tiny.abs"
	cd C:\ws\tiny\out&&$(CONV) -Fs32 -$ Tiny.abs
	echo report
	report

$(OUTPUT)\Tiny.abs : $(OBJS) $(LIBS) $(LCF)
	echo Linking
	ECHO begin
	echo stamp
	stamp
	$(LINK) -g -l -$ -lfout\Tiny.map  $(SysLibraryPath) $(OBJS) $(LIBS)  $(LCF)  -o $@

".\out\Tiny.pak"  : "$(OUTPUT)\Tiny.abs"
	echo pack
	pack

"$(TEMP)\main.rel" : main.c
	$(CC) -g -c  $(SysIncludePath) $< -o $@

"$(TEMP)\start.rel" : start.asm
	$(AS) -g -c  $(SysIncludePath) $< -o $@

)"},
      {FalMode, R"~(all :  "$(TARGET)" "out\_FALTMP_\Tiny.s32"

"out\_FALTMP_\Tiny.s32" : "out\_FALTMP_\Tiny.abs"
	cd C:\ws\tiny\out\_FALTMP_&&$(CONV) -Fs32 -$ Tiny.abs
	echo report
	report

"$(TARGET)" : $(OBJS) $(LIBS) $(LCF)
	echo Linking
	ECHO begin
	echo stamp
	stamp
	$(LINK)  -GF -g -l -$ -lfout\_FALTMP_\Tiny.map  $(SysLibraryPath) $(OBJS) $(LIBS) $(LCF)  -o $@
	$(FAL) -$ "$(TARGET)" "main.c" "start.asm"
	cp main.fal .\obj\main.fal
	rm main.fal
	cp start.fal .\obj\start.fal
	rm start.fal


"$(OUTPUT)\main.rel" : "main.c"
	$(CC)  -c -GF -g $(SysIncludePath) "C:\ws\tiny\main.c" -o $@

"$(OUTPUT)\start.rel" : "start.asm"
	$(AS)  -c -GF -g $(SysIncludePath) "C:\ws\tiny\start.asm" -o $@

)~"},
  };
  // A linked project's makefile lacks "link" and its rule.
  std::string sub = cases[0].expected;
  sub.replace(sub.find("link  "), 5, "");
  sub.erase(sub.find("link :"), sub.find("\"out\\Tiny.s32\" :") - sub.find("link :"));
  for (const auto& c : cases) {
    Open({{"C:\\ws\\tiny\\Tiny.kbp", kTiny}, {"C:\\ws\\lib\\Lib.kbp", kLib}});
    std::string text = Text("Tiny", c.mode);
    ExpectText(Rules(text), c.expected, StringPrintf("mode %d", c.mode));
    if (c.mode == NormalMode) ExpectText(Rules(Text("Tiny", SubProjectMode)), sub, "mode 1");
    EXPECT_NE(text.find("\nLCF=\"C:\\ws\\tiny\\my link.lcf\"\n\n"), std::string::npos);
    EXPECT_EQ(text.find("\nTARGET=_FALTMP_\\Tiny.abf\nOUTPUT=_FALTMP_\n") != std::string::npos,
              c.mode == FalMode);
  }
}

TEST_F(KmakeFileTest, LibraryRulesAndTheLibrarianCommandFile) {
  const std::string lib = R"([PROJECT]
OUTPUT=Lib.lib
CPU=MR44A
CPUFAMILY=MR44A
TARGET=Debug;Release;
Folder=Sources;
)" + SourceFolder("Sources", {"a.c", "b.asm", "old.rel", "c.c"}) +
                          R"([PROJECT!MACRO!Debug]
DefaultCompile=-g
DefaultOUTPUT=.\Debug
DefaultTEMP=.\Debug\obj
LibraryOutput=..\out dir\Lib.lib
ProjectBeforeLinkCommandCount=1
ProjectBeforeLinkCommand-0=check
ProjectAfterBuildCommandCount=1
ProjectAfterBuildCommand-0=echo done
[PROJECT!MACRO!Release]
DefaultCompile=-O2
DefaultOUTPUT=.\Release
DefaultTEMP=.\Release\obj
[Debug!c.c]
COMPILE=-o x\c.rel
[Release!b.asm]
NoBuild=1
)";
  Open({{"C:\\ws\\lib\\Lib.kbp", lib}});
  env_.AddFile("C:\\ws\\lib\\Lib.klo", "old");
  OutputPlan plan;
  ExpectText(Rules(Text("Lib", NormalMode, "Debug", false, &plan)), R"~(all :  "..\out dir\Lib.lib"

"..\out dir\Lib.lib" : $(OBJS) $(LIBS)
	echo check
	check
	$(AR) -$ -f.\Lib.klo
	echo done

"$(TEMP)\a.rel" : a.c
	$(CC) -g -c  $(SysIncludePath) $< -o $@

"$(TEMP)\b.rel" : b.asm
	$(AS) -g -c  $(SysIncludePath) $< -o $@

x\c.rel : c.c
	$(CC) -o x\c.rel -c  $(SysIncludePath) $<

)~",
             "library");
  // The librarian command file is planned, not written.
  ASSERT_EQ(plan.files.size(), 1u);
  EXPECT_EQ(plan.files[0].path, "C:\\ws\\lib\\Lib.klo");
  EXPECT_FALSE(plan.files[0].required);
  ExpectText(plan.files[0].contents,
             Crlf("-r\n\"..\\out dir\\Lib.lib\"\n.\\Debug\\obj\\a.rel\n.\\Debug\\obj\\b.rel\n"
                  "old.rel\nx\\c.rel\n"),
             "librarian command file");
  EXPECT_EQ(env_.Contents("C:\\ws\\lib\\Lib.klo"), "old");
  // x: the directory of c.c's own -o.
  EXPECT_EQ(plan.folders, (std::vector<std::string>{"C:\\ws\\lib\\x", "C:\\ws\\lib\\Debug\\obj"}));
  ExpectText(Rules(Text("Lib", FalMode, "Release")), R"~(all :  "$(TARGET)"

"$(TARGET)" : $(OBJS) $(LIBS) $(LCF)
	$(LINK) -r "$(TARGET)"  $(OBJS) $(LIBS) $(LCF) 

"$(OUTPUT)\a.rel" : "a.c"
	$(CC)  -c  -g -GF -O2 $(SysIncludePath) "C:\ws\lib\a.c" -o $@

"$(OUTPUT)\c.rel" : "c.c"
	$(CC)  -c  -g -GF -O2 $(SysIncludePath) "C:\ws\lib\c.c" -o $@

)~",
             "library in FalMode");
}

TEST_F(KmakeFileTest, AuxiliaryMakefiles) {
  // A CPU the installation lacks: no tool lines, no search paths.
  const char* aux = R"([PROJECT]
OUTPUT=Aux.abs
CPU=Z80
TARGET=Debug;
[PROJECT!MACRO!Debug]
DefaultLink=-o .\bin\Aux.abs
DefaultConvert=-Fh20 -cc 0xFF
OUTPUT=.\bin\
TARGET_NAME=Aux.abs
ProjectBeforeBuildTitle=Prepare
ProjectBeforeBuildCommandCount=2
ProjectBeforeBuildCommand-0=stamp #1
ProjectBeforeBuildCommand-1=
)";
  Open({{"C:\\ws\\aux\\Aux.kbp", aux}});
  std::string path;
  ASSERT_TRUE(
      WritePreBuildMakefile(*workspace_, states_, ProjectNamed("Aux"), &cpus_, "Nope", &path));
  EXPECT_EQ(path, "C:\\ws\\aux\\tempmakepre.mak");
  const std::string kBlocks = R"~(DefaultTEMP=
DefaultOUTPUT=
DefaultWORK=
TEMP=
OUTPUT=.\bin
WORK=
TARGET=
TARGET_NAME=Aux.abs
TEMP=

)~";
  ExpectText(env_.Contents(path), Crlf(kBlocks + R"~(WkspDir=C:\ws
WkspName=Demo
ProjDir=C:\ws\aux
ProjName=Aux
TargetPath=.\bin\Aux.abs
TargetDir=.\bin
TargetName=Aux
InputPath=.\bin\Aux.abs
InputDir=.\bin
InputName=Aux
OutDir=.\bin
TmpDir=
IntDir=

CC_Opt_All= -$
CC_Def_Macro=
CC_Undef_Macro=
CC_Inc_Path=
Lnk_Opt_All= -$
Lnk_ObjLib_Name=
Lnk_Ref_Symbol=
Lnk_Search_Path=
Cvt_Opt_All=-Fh20 -cc 0xFF -$
Cvt_fillComment=-cc 0xFF

all:
	echo Prepare
	echo stamp '#1
	stamp '#1
)~"),
             "pre-build makefile");
  ASSERT_TRUE(
      WriteConversionMakefile(*workspace_, states_, ProjectNamed("Aux"), &cpus_, "Debug", &path));
  EXPECT_EQ(path, "C:\\ws\\aux\\tempmakeabs.mak");
  ExpectText(env_.Contents(path),
             Crlf(kBlocks + "all:\n\tcd C:\\ws\\aux\\bin&&$(CONV) -Fh20 -cc 0xFF -$ Aux.abs\n"),
             "convert makefile");
  // A library has no convert step; a makefile that cannot be written is reported.
  Open({{"C:\\ws\\lib\\Lib.kbp", kLib}, {"C:\\ws\\aux\\Aux.kbp", aux}});
  EXPECT_FALSE(
      WriteConversionMakefile(*workspace_, states_, ProjectNamed("Lib"), &cpus_, "Debug", &path));
  env_.fs.FailNth(FsOp::kRename, 1);
  EXPECT_FALSE(
      WritePreBuildMakefile(*workspace_, states_, ProjectNamed("Aux"), &cpus_, "Debug", &path));
}

// A project of `files` C files (the first links Lib), Debug and Release.
std::string ProjectOfFiles(int files) {
  std::vector<std::string> names;
  for (int i = 0; i < files; ++i)
    names.push_back(StringPrintf("a_rather_long_file_name_for_the_fal_line_%02d.c", i));
  return "[PROJECT]\nOUTPUT=Many.abs\nCPU=MR44\nTARGET=Debug;Release;\nFolder=S;\n" +
         SourceFolder("S", names) +
         "[PROJECT!MACRO!Debug]\nTEMP=o\n[PROJECT!MACRO!Release]\nTEMP=r\n";
}

size_t Count(std::string_view text, std::string_view part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

TEST_F(KmakeFileTest, TargetsCleanSectionAndFalLines) {
  // Below 30 files, or when asked for, each block has its Clean section.
  const struct {
    int files;
    bool force;
    size_t cleans;
  } cases[] = {{29, false, 2}, {30, false, 0}, {30, true, 2}};
  for (const auto& c : cases) {
    Open({{"C:\\ws\\many\\Many.kbp", ProjectOfFiles(c.files)}});
    std::string text = Text("Many", NormalMode, std::nullopt, c.force);
    EXPECT_EQ(Count(text, "\nClean :\n"), c.cleans) << c.files << " " << c.force;
    // The blocks in the project's order, each closed.
    EXPECT_LT(text.find("ifeq($(CFG),Debug)\n"), text.find("ifeq($(CFG),Release)\n"));
    EXPECT_EQ(Count(text, "\nendif\n\n"), 2u);
  }
  // One target: that one, or the first when the project lacks it.
  EXPECT_EQ(Count(Text("Many", NormalMode, "release"), "ifeq($(CFG),Release)\n"), 1u);
  std::string first = Text("Many", NormalMode, "Final");
  EXPECT_EQ(Count(first, "ifeq($(CFG),Debug)\n"), 1u);
  EXPECT_EQ(Count(first, "ifeq("), 1u);
  // The FAL tool takes its files in lines of about 1 KB.
  std::string fal = Text("Many", FalMode, "Debug");
  EXPECT_EQ(Count(fal, "\t$(FAL) -$ \"$(TARGET)\" \"a_rather"), 2u);
  std::string entries;
  for (size_t at = fal.find("\t$(FAL)"); at != std::string::npos; at = fal.find("\t$(FAL)", at + 1))
    entries += fal.substr(at, fal.find('\n', at) - at);
  EXPECT_EQ(Count(entries, " \"a_rather_long_file_name_for_the_fal_line_"), 30u);
  EXPECT_EQ(fal.find(".c\"\n\n\tcp a_rather"), std::string::npos);
  EXPECT_NE(fal.find("_29.c\"\n\tcp a_rather"), std::string::npos);
}

TEST_F(KmakeFileTest, AProjectOutputThatFeedsAFileGetsNoRule) {
  Open({{"C:\\ws\\tiny\\Tiny.kbp", kTiny}, {"C:\\ws\\lib\\Lib.kbp", kLib}});
  Depend("Tiny", "main.c", "Debug", {"OUT\\tiny.pak"});
  // A record whose paths are in a table of its own reads alike (the rules
  // look paths up by their ids).
  TextTable own;
  DependencyRecord record{"Debug"};
  record.SetDependencies(own, {"gen.h", "OUT\\tiny.pak"}, {});
  ProjectNamed("Tiny")
      .sources()
      .FindByRelativePath("start.asm")
      ->dependencies()
      .records.push_back(record);
  std::string text = Text("Tiny", SubProjectMode);
  EXPECT_NE(text.find("all :  \"$(OUTPUT)\\Tiny.abs\" \"out\\Tiny.s32\"\n"), std::string::npos);
  EXPECT_EQ(text.find(": \"$(OUTPUT)\\Tiny.abs\"\n\techo pack"), std::string::npos);
  EXPECT_NE(text.find("\"$(TEMP)\\main.rel\" : main.c OUT\\tiny.pak\n"), std::string::npos);
  EXPECT_NE(text.find("\"$(TEMP)\\start.rel\" : start.asm gen.h OUT\\tiny.pak\n"),
            std::string::npos);
}

TEST_F(KmakeFileTest, GenerationFailuresLeaveTheMakefileAsItWas) {
  Open({{"C:\\ws\\app\\App.kbp", kApp}});
  const std::string kMakefile = "C:\\ws\\app\\App.mak";
  const std::string kOld = "old makefile\r\n";
  env_.AddFile(kMakefile, kOld);
  auto generate = [&](ArgText makefile, std::string_view project) {
    return GenerateKmakeFile(*workspace_, states_, &cpus_, makefile, project, NormalMode,
                             std::nullopt, false);
  };
  auto expect_failure = [&](const char* name, const Status& result, uint32_t status,
                            unsigned message) {
    EXPECT_FALSE(result) << name;
    EXPECT_EQ(result.code(), status) << name;
    EXPECT_EQ(result.message_id(), message) << name;
    EXPECT_EQ(env_.Contents(kMakefile), kOld) << name;
  };
  expect_failure("unknown project", generate(kMakefile, "C:\\ws\\x\\X.kbp"), kStatusProjectNotFound,
                 kMsgProjectNotFound);
  expect_failure("no makefile name", generate(std::nullopt, "C:\\ws\\app\\App.kbp"), 0, 0);
  env_.fs.FailNth(FsOp::kRename, 1);
  expect_failure("unwritable", generate(kMakefile, "C:\\ws\\app\\App.kbp"),
                 kStatusMakefileNotWritten, kMsgMakefileNotWritten);
  env_.system.CreateNamedObject(workspace_->StopObjectName());
  expect_failure("stop requested", generate(kMakefile, "C:\\ws\\app\\App.kbp"), 0, 0);
  env_.system.RemoveNamedObject(workspace_->StopObjectName());
  workspace_->document().Close();
  expect_failure("no workspace", SaveMakefile(*workspace_, states_, &cpus_, std::string_view()),
                 kStatusNoWorkspace, kMsgNoWorkspace);

  // A read-only makefile is replaced; the default name is the active project's.
  ASSERT_TRUE(workspace_->document().Open("C:\\ws\\Demo.kws"));
  env_.fs.SetReadOnly(kMakefile, true);
  EXPECT_TRUE(SaveMakefile(*workspace_, states_, &cpus_, std::string_view()));
  EXPECT_EQ(env_.Contents(kMakefile), Crlf(Text("App")));
  EXPECT_FALSE(states_.Of(ProjectNamed("App")).makefile_out_of_date);
}

TEST_F(KmakeFileTest, WriteMakefileOfProjectChecksItsArguments) {
  Open({{"C:\\ws\\app\\App.kbp", kApp}, {"C:\\ws\\lib\\Lib.kbp", kLib}});
  const struct {
    const char* file;
    const char* name;
    const char* mode;
    uint32_t status;
  } cases[] = {
      {"", "Lib", "0", kStatusBadArgument},
      {"C:\\ws\\lib\\Lib.kbp", "", "0", kStatusBadArgument},
      {"C:\\ws\\lib\\Lib.kbp", "Lib", "3", kStatusBadArgument},
      {"C:\\ws\\lib\\Lib.kbp", "Lib", "x", kStatusBadArgument},
      {"C:\\ws\\lib\\Lib.kbp", "Nope", "0", kStatusProjectNotFound},
      {"C:\\ws\\lib\\Lib.kbp", "App", "0", kStatusProjectNotFound},
      {"C:\\ws\\lib\\Lib.kbp", "Lib.lib", "2", kStatusOk},
  };
  for (const auto& c : cases) {
    std::string makefile;
    Status made =
        WriteMakefileOfProject(*workspace_, states_, &cpus_, c.file, c.name, c.mode, &makefile);
    EXPECT_EQ(made.ok(), c.status == kStatusOk);
    EXPECT_EQ(made.code(), c.status) << c.name << " " << c.mode;
    EXPECT_EQ(makefile, c.status == kStatusOk ? "C:\\ws\\lib\\Lib.mak" : "");
  }
  EXPECT_EQ(env_.Contents("C:\\ws\\lib\\Lib.mak"), Crlf(Text("Lib", FalMode)));
}

TEST_F(KmakeFileTest, BuildMakefileIsMadeOnlyWhenNeeded) {
  Open({{"C:\\ws\\app\\App.kbp", kApp}});
  Project& app = ProjectNamed("App");
  auto prepare = [&](MakeMode mode, std::string_view project = "App") {
    std::string path;
    bool regenerated = false;
    EXPECT_TRUE(PrepareBuildMakefile(*workspace_, states_, &cpus_, project, "Debug", mode, false,
                                     &path, &regenerated));
    EXPECT_EQ(path, mode == FalMode ? "C:\\ws\\app\\tempmake.falmak" : "C:\\ws\\app\\tempmake.mak");
    return regenerated;
  };
  EXPECT_TRUE(prepare(NormalMode));  // new project: out of date
  EXPECT_FALSE(prepare(NormalMode, "C:\\ws\\app\\App.kbp"));
  EXPECT_TRUE(prepare(FalMode));
  ASSERT_TRUE(
      app.targets().SetValue("Debug", "DefaultOUTPUT", ".\\bin"));  // the working copy changes
  EXPECT_TRUE(prepare(NormalMode));
  EXPECT_FALSE(prepare(NormalMode));
  env_.AddFile(app.paths().dependency_file, "");  // newer dependencies
  EXPECT_TRUE(prepare(NormalMode));
  env_.memory.DeleteFile("C:\\ws\\app\\tempmake.mak");
  EXPECT_TRUE(prepare(NormalMode));
  // Another current target puts every makefile out of date (through the hooks).
  EXPECT_FALSE(prepare(NormalMode));
  workspace_->selection().ChangeCurrentTarget("Release");
  EXPECT_TRUE(prepare(NormalMode));

  std::string path;
  EXPECT_EQ(
      PrepareBuildMakefile(*workspace_, states_, &cpus_, "Nope", "Debug", NormalMode, false, &path)
          .code(),
      kStatusBadArgument);
  // Saving a project whose makefiles are out of date takes the build makefile away.
  states_.Of(app).makefile_out_of_date = true;
  app.Save();
  EXPECT_FALSE(FileExists(env_.fs, "C:\\ws\\app\\tempmake.mak"));
}

// Saving with makefile export on writes each project's makefile, Clean
// included, linked projects made by it only when BuildDepend is set.
class MakefileOnSave final : public WorkspaceHooks {
 public:
  MakefileOnSave(MakeStateStore& states, const CpuTable& cpus) : states_(states), cpus_(cpus) {}
  void RefreshDependencies(Workspace&) override {}
  bool WriteMakefile(Workspace& workspace, Project& project, bool without_dependencies) override {
    // What the component's hooks do: a failure leaves its status.
    Status made = WriteMakefileForSave(workspace, states_, &cpus_, project, without_dependencies);
    if (made.code() != kStatusOk) workspace.SetStatus(made.code(), made.message_id());
    return made.ok();
  }

 private:
  MakeStateStore& states_;
  const CpuTable& cpus_;
};

TEST_F(KmakeFileTest, SavingWritesTheMakefilesWhenAsked) {
  MakefileOnSave hooks(states_, cpus_);
  for (const char* depend : {"0", "1"}) {
    env_.AddFile("C:\\registry.ini", Crlf(std::string("[Software\\Zentrak\\Semiconductor\\KOVA\\"
                                                      "Builder]\nBuildMake=dword:00000001\n"
                                                      "BuildDepend=dword:0000000") +
                                          depend + "\n"));
    env_.AddFile("C:\\ws\\many\\Many.kbp", Crlf(ProjectOfFiles(30) + "LinkProject=Lib.lib;\n"));
    env_.AddFile("C:\\ws\\lib\\Lib.kbp", Crlf(kLib));
    env_.ide.project_files = {"C:\\ws\\many\\Many.kbp", "C:\\ws\\lib\\Lib.kbp"};
    workspace_ = std::make_unique<Workspace>(env_.platform, env_.settings, env_.ide, &hooks);
    ASSERT_TRUE(workspace_->document().Open("C:\\ws\\Demo.kws"));
    ASSERT_TRUE(workspace_->document().Save(false));
    std::string text = env_.Contents("C:\\ws\\many\\Many.mak");
    EXPECT_EQ(text,
              Crlf(Text("Many", *depend == '1' ? NormalMode : SubProjectMode, std::nullopt, true)));
    EXPECT_EQ(Count(text, "\r\nClean :\r\n"), 2u);
    EXPECT_TRUE(FileExists(env_.fs, "C:\\ws\\lib\\Lib.mak"));
  }
  // A makefile that cannot be written fails the save with its status.
  env_.fs.FailAlways(FsOp::kRename);
  EXPECT_FALSE(workspace_->document().Save(false));
  EXPECT_EQ(workspace_->GetLastStatus(), kStatusMakefileNotWritten);
  workspace_.reset();  // before the hooks it was given
}

}  // namespace
}  // namespace zelvan
