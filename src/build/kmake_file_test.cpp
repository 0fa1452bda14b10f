#include "build/kmake_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "build/compile_rules.h"
#include "build/custom_build_rules.h"
#include "build/make_context.h"
#include "build/target_rules.h"
#include "model/dependency_record.h"
#include "model/one_project_data.h"
#include "model/one_source_file.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "tests/support/model_test_platform.h"
#include "tests/support/test_text.h"
#include "toolchain/cpu_tools.h"
#include "toolchain/qk_util.h"

namespace zelvan {
namespace {

using testing::Crlf;
using testing::FsOp;
using testing::Visible;

// The demo installation, copied into the in-memory file system as drive K:.
void AddDemoInstallation(testing::MemoryFileSystem& memory) {
  std::filesystem::path root = std::filesystem::path(ZELVAN_SOURCE_DIR) / "share" / "kova";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string relative = std::filesystem::relative(entry.path(), root).string();
    for (char& c : relative) {
      if (c == '/') c = '\\';
    }
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    memory.AddFile("K:\\" + relative, text.str());
  }
}

class KmakeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddDemoInstallation(env_.memory);
    ASSERT_TRUE(cpus_.LoadCpuTools());
  }

  // Opens a workspace of the given projects (path, text); the first is active.
  void Open(std::initializer_list<std::pair<const char*, std::string>> projects) {
    env_.ide.project_files.clear();
    for (const auto& [path, text] : projects) {
      env_.AddFile(path, Crlf(text));
      env_.ide.project_files.push_back(path);
    }
    env_.ide.active_project = env_.ide.project_files.front();
    workspace_ = env_.NewWorkspace();
    ASSERT_TRUE(workspace_->OpenWorkspace("C:\\ws\\Demo.kws"));
  }
  COneProjectData& Project(std::string_view name) { return *workspace_->FindProject(name); }
  // Gives a file the include dependencies of a target.
  void Depend(std::string_view project, std::string_view file, std::string_view target,
              std::vector<std::string> paths) {
    CDependencyRecord record{std::string(target)};
    record.SetDependencies(std::move(paths), {});
    Project(project).FindSourceFileByRelativePath(file)->TargetEntries().push_back(record);
  }
  std::string Text(std::string_view project, MakeMode mode = NormalMode,
                   std::optional<std::string_view> target = std::nullopt, bool clean = false) {
    std::string text;
    EXPECT_TRUE(GenerateKmakeText(*workspace_, Project(project), &cpus_, mode, target, clean, &text));
    return text;
  }

  testing::ModelTestPlatform env_;
  QkUtil util_{env_.platform, "K:"};
  CCPUTools cpus_{env_.platform, util_};
  std::unique_ptr<CProjectData> workspace_;
};

const char* kApp = R"([PROJECT]
OUTPUT=App.abs
CPU=MX-520
CPUFAMILY=MX-520
TARGET=Debug;
LinkProject=Lib.lib;Gone.lib;
Folder=Sources;Gen;Link;Headers;
[Sources]
SOURCECOUNT=5
SOURCE0=main.c
SOURCE1=util.c
SOURCE2=boot.asm
SOURCE3=my dir\space fn.c
SOURCE4=skip.c
[Gen]
SOURCECOUNT=3
SOURCE0=tables.def
SOURCE1=tables.c
SOURCE2=notes.txt
[Link]
SOURCECOUNT=3
SOURCE0=App.lcf
SOURCE1=extra.rel
SOURCE2=rt.lib
[Headers]
SOURCECOUNT=1
SOURCE0=app.h
[PROJECT!MACRO!Debug]
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
[Debug!util.c]
COMPILE=-g -o obj\u\util.rel
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

const char* kLib = R"([PROJECT]
OUTPUT=Lib.lib
CPU=MR44A
CPUFAMILY=MR44A
TARGET=Debug;Release;
Folder=Sources;
[Sources]
SOURCECOUNT=2
SOURCE0=a.c
SOURCE1=b.asm
[PROJECT!MACRO!Debug]
DefaultCompile=-g
DefaultOUTPUT=.\Debug
DefaultTEMP=.\Debug\obj
[PROJECT!MACRO!Release]
DefaultCompile=-O2
DefaultOUTPUT=.\Release
DefaultTEMP=.\Release\obj
)";

// Compares and names the case on failure, with line ends shown.
void ExpectText(const std::string& actual, const std::string& expected, std::string_view name) {
  EXPECT_EQ(actual, expected) << name << ":\n" << Visible(actual);
  if (getenv("DUMP") && actual != expected) std::cout << "@@@" << name << "\n" << actual << "@@@\n";
}

// The rules from "all :" to the end of the first block.
std::string Rules(const std::string& text) {
  size_t from = text.find("all : ");
  size_t to = text.find("endif\n");
  return from == std::string::npos ? text : text.substr(from, to - from);
}

TEST_F(KmakeFileTest, WholeMakefileOfAProjectWithEveryKindOfStep) {
  Open({{"C:\\ws\\app\\App.kbp", kApp}, {"C:\\ws\\lib\\Lib.kbp", kLib}});
  env_.AddFile("C:\\ws\\app\\app.h", "");
  Depend("App", "main.c", "Debug", {"app.h", "..\\inc\\board.h", "D:\\KOVA\\include\\std io.h"});
  Depend("App", "tables.c", "Debug", {"app.h"});
  ExpectText(Text("App"), R"(#
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
app.h

OBJS= \
"$(TEMP)\main.rel" \
obj\u\util.rel \
"$(TEMP)\boot.rel" \
".\tmp dir\space fn.rel" \
"$(TEMP)\tables.rel"

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

obj\u\util.rel : util.c
	$(CC) -g -o obj\u\util.rel -c  $(SysIncludePath) $<

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

Clean :
	rm C:\ws\app\obj\main.asm
	rm C:\ws\app\obj\main.i
	rm C:\ws\app\obj\main.rel
	rm C:\ws\app\obj\main.med
	rm C:\ws\app\obj\util.asm
	rm C:\ws\app\obj\util.i
	rm C:\ws\app\obj\util.rel
	rm C:\ws\app\obj\util.med
	rm C:\ws\app\obj\boot.rel
	rm C:\ws\app\obj\boot.med
	rm "C:\ws\app\tmp dir\space fn.asm"
	rm "C:\ws\app\tmp dir\space fn.i"
	rm "C:\ws\app\tmp dir\space fn.rel"
	rm "C:\ws\app\tmp dir\space fn.med"
	rm C:\ws\app\obj\tables.asm
	rm C:\ws\app\obj\tables.i
	rm C:\ws\app\obj\tables.rel
	rm C:\ws\app\obj\tables.med
	rm .\out\App.pak

endif

)",
             "App");
  // tables.c is made by the step of tables.def, which therefore stays out
  // of "all" and Clean; the directories the rules name exist.
  COneProjectData& app = Project("App");
  EXPECT_TRUE(app.FindSourceFileByRelativePath("tables.def")->HasFlag(COneSourceFile::kConsumedOutput));
  EXPECT_EQ(app.FindSourceFileByRelativePath("boot.asm")->ImsMoveSteps(),
            std::vector<std::string>{"\tcp C:\\ws\\app\\boot.ims C:\\ws\\app\\obj\\boot.ims\n"
                                     "\trm C:\\ws\\app\\boot.ims\n"});
  for (const char* dir : {"C:\\ws\\app\\obj\\u", "C:\\ws\\app\\tmp dir", "C:\\ws\\app\\out"}) {
    EXPECT_TRUE(DirectoryExists(env_.fs, dir)) << dir;
  }
}

struct RuleCase {
  const char* name;
  const char* cpu;      // CPU and family
  const char* file;     // its path in the project
  const char* options;  // its own COMPILE
  const char* temp;     // its own TEMP
  MakeMode mode;
  bool source_folder;
  // The rule, "--", the clean lines.
  const char* expected;
};

const RuleCase kRuleCases[] = {
    {"C with -c -P: a preprocessor command and the .i moved", "MX-520", "a.c", "-c -P -O1", "",
     NormalMode, false, R"("$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -c  -O1 $(SysIncludePath) $< -o $@
	$(CC) -P   -O1 $(SysIncludePath) $<
	cp C:\ws\one\a.i C:\ws\one\obj\a.i
	rm C:\ws\one\a.i

--
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.i
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.med
)"},
    {"C with -o: the object it names, no -o $@", "MX-520", "a.c", "-g -o obj\\u\\a.rel", "",
     NormalMode, false, R"(obj\u\a.rel : a.c one.h "..\inc\x y.h"
	$(CC) -g -o obj\u\a.rel -c  $(SysIncludePath) $<

--
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.i
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.med
)"},
    {"C with a listing and -Xi: the listing to OUTPUT, the .med to TEMP", "MX-520", "a.c",
     "-l -Xi", "", NormalMode, false, R"("$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -l -Xi -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst
	cp C:\ws\one\a.med C:\ws\one\obj\a.med
	rm C:\ws\one\a.med

--
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.i
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.med
)"},
    {"C with -XF", "MX-520", "a.c", "-XF", "", NormalMode, false, R"("$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -XF -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.asm C:\ws\one\obj\a.asm
	rm C:\ws\one\a.asm

--
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.i
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.med
)"},
    {"C with -Oal: .asm copied, .ims kept apart", "MX-520", "a.c", "-Oal", "", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -Oal -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.asm C:\ws\one\obj\a.asm
	rm C:\ws\one\a.asm

--
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.i
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.med
ims:	cp C:\ws\one\a.ims C:\ws\one\obj\a.ims
	rm C:\ws\one\a.ims
)"},
    {"C with a listing file of its own and a macro", "MX-520", "a.c", "-lf$(OutDir)\\lst\\a.lst",
     "", NormalMode, false, R"(IntDir=.\obj
InputPath=a.c
InputDir=.
InputName=a
OutDir=.\obj
OutName=a

"$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -lf$(OutDir)\lst\a.lst -c  $(SysIncludePath) $< -o $@

--
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.i
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.med
)"},
    {"C with -kumpp=on and a listing", "MR44A", "a.c", "-l -kumpp=on", "", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.c one.h "..\inc\x y.h"
	$(CC) -l -kumpp=on -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst
	cp C:\ws\one\a.med C:\ws\one\obj\a.med
	rm C:\ws\one\a.med

--
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.i
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.fal
	rm C:\ws\one\obj\a.ims
	rm C:\ws\one\obj\a.irl
	rm C:\ws\one\obj\a.med
)"},
    {"AS of MR44A with -kumpp=on", "MR44A", "a.asm", "-l -kumpp=on", "", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.asm one.h "..\inc\x y.h"
	$(AS) -l -kumpp=on -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst
	cp C:\ws\one\a.med C:\ws\one\obj\a.med
	rm C:\ws\one\a.med

--
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.fal
	rm C:\ws\one\obj\a.ims
	rm C:\ws\one\obj\a.irl
	rm C:\ws\one\obj\a.med
)"},
    {"AS with -Oal", "MX-520", "a.asm", "-Oal", "", NormalMode, false, R"("$(TEMP)\a.rel" : a.asm one.h "..\inc\x y.h"
	$(AS) -Oal -c  $(SysIncludePath) $< -o $@

--
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.med
ims:	cp C:\ws\one\a.ims C:\ws\one\obj\a.ims
	rm C:\ws\one\a.ims
)"},
    {"MAC of MX-520 with a listing", "MX-520", "a.mac", "-l", "", NormalMode, false, R"("$(TEMP)\a.rel" : a.mac one.h "..\inc\x y.h"
	$(MAC) -l -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst
	cp C:\ws\one\a.med C:\ws\one\obj\a.med
	rm C:\ws\one\a.med

--
	rm C:\ws\one\obj\a.med
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.asm
)"},
    {"MAC of MX-520 with -Mi", "MX-520", "a.mac", "-l -Mi", "", NormalMode, false, R"("$(TEMP)\a.rel" : a.mac one.h "..\inc\x y.h"
	$(MAC) -l -Mi -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst

--
	rm C:\ws\one\obj\a.med
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.asm
)"},
    {"APP of MR44A with -kumpp=off", "MR44A", "a.app", "-l -kumpp=off", "", NormalMode, false,
     R"("$(TEMP)\a.rel" : a.app one.h "..\inc\x y.h"
	$(APP) -l -kumpp=off -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst

--
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.ims
	rm C:\ws\one\obj\a.irl
	rm C:\ws\one\obj\a.med
)"},
    {"APP of MX-310/P with -Oal", "MX-310/P", "a.app", "-Oal", "", NormalMode, false, R"("$(TEMP)\a.rel" : a.app one.h "..\inc\x y.h"
	$(APP) -Oal -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.asm C:\ws\one\obj\a.asm
	rm C:\ws\one\a.asm

--
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.med
ims:	cp C:\ws\one\a.ims C:\ws\one\obj\a.ims
	rm C:\ws\one\a.ims
)"},
    {"CCL with a listing", "MR44", "a.cl", "-l", "", NormalMode, false, R"("$(TEMP)\a.rel" : a.cl one.h "..\inc\x y.h"
	$(CCL) -l -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst

--
	rm C:\ws\one\obj\a.cpl
	rm C:\ws\one\obj\a.rel
)"},
    {"MPP of MR44 with a listing", "MR44", "a.mpp", "-l", "", NormalMode, false, R"("$(TEMP)\a.rel" : a.mpp one.h "..\inc\x y.h"
	$(MPP) -l -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\a.lst

--
	rm C:\ws\one\obj\a.med
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.eas
	rm C:\ws\one\obj\a.ims
	rm C:\ws\one\obj\a.irl
	rm C:\ws\one\obj\a.i
)"},
    {"blanks in the source, its TEMP and a dependency", "MX-520", "my src\\a b.c", "-g",
     ".\\my obj", NormalMode, false, R"(".\my obj\a b.rel" : "my src\a b.c" one.h "..\inc\x y.h"
	$(CC) -g -c  $(SysIncludePath) $< -o $@

--
	rm "C:\ws\one\my obj\a b.asm"
	rm "C:\ws\one\my obj\a b.i"
	rm "C:\ws\one\my obj\a b.rel"
	rm "C:\ws\one\my obj\a b.med"
)"},
    {"source-folder mode", "MX-520", "sub\\a.c", "-l", "", NormalMode, true, R"(C:\ws\one\obj\a.rel : C:\ws\one\sub\a.c one.h "..\inc\x y.h"
	$(CC) -l -c  $(SysIncludePath) $< -o $@
	cp C:\ws\one\sub\a.lst C:\ws\one\out\a.lst
	rm C:\ws\one\sub\a.lst

--
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.i
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.med
)"},
    {"FalMode: the FAL form, side files removed in _FALTMP_", "MR44", "a.c", "-P -l -o x.rel", "",
     FalMode, false, R"("$(OUTPUT)\a.rel" : "a.c" one.h "..\inc\x y.h"
	$(CC)  -c  -g -GF  -l  $(SysIncludePath) "C:\ws\one\a.c" -o $@
	rm C:\ws\one\a.lst
	rm C:\ws\one\a.i

--
	rm C:\ws\one\obj\a.asm
	rm C:\ws\one\obj\a.i
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.fal
	rm C:\ws\one\obj\a.ims
	rm C:\ws\one\obj\a.irl
	rm C:\ws\one\obj\a.med
)"},
    {"FalMode assembler with -Oal", "MR44", "a.asm", "-Oal -l", "", FalMode, false, R"("$(OUTPUT)\a.rel" : "a.asm" one.h "..\inc\x y.h"
	$(AS)  -c  -g -GF -Oal -l $(SysIncludePath) "C:\ws\one\a.asm" -o $@
	rm C:\ws\one\a.lst

--
	rm C:\ws\one\obj\a.rel
	rm C:\ws\one\obj\a.fal
	rm C:\ws\one\obj\a.ims
	rm C:\ws\one\obj\a.irl
	rm C:\ws\one\obj\a.med
ims:	cp C:\ws\one\a.ims _FALTMP_\a.ims
	rm C:\ws\one\a.ims
)"},
};

TEST_F(KmakeFileTest, CompileRulesOfEveryKind) {
  for (const RuleCase& c : kRuleCases) {
    std::string project = std::string("[PROJECT]\nOUTPUT=One.abs\nCPU=") + c.cpu +
                          "\nCPUFAMILY=" + c.cpu +
                          "\nTARGET=Debug;\nFolder=S;\n[S]\nSOURCECOUNT=1\nSOURCE0=" + c.file +
                          "\n[PROJECT!MACRO!Debug]\nDefaultCompile=-g\nDefaultOUTPUT=.\\out\n"
                          "DefaultTEMP=.\\obj\nSourceFolder=" +
                          (c.source_folder ? "1" : "0") + "\n[Debug!" + c.file +
                          "]\nCOMPILE=" + c.options + "\nTEMP=" + c.temp + "\n";
    Open({{"C:\\ws\\one\\One.kbp", project}});
    Depend("One", c.file, "Debug", {"one.h", "..\\inc\\x y.h"});
    MakeContext context(*workspace_, Project("One"), &cpus_, "Debug", c.mode);
    PrepareTarget(context);
    std::string text;
    BuildCompileRule(context, context.files()[0], &text);
    text += "--\n";
    BuildCleanLine(context, context.files()[0], &text);
    for (const std::string& step : context.files()[0].file->ImsMoveSteps())
      text += "ims:" + step;
    ExpectText(text, c.expected, c.name);
  }
}

// A small executable of MR44 in each mode: the rules of the block.
const char* kTiny = R"([PROJECT]
OUTPUT=Tiny.abs
CPU=MR44
CPUFAMILY=MR44
TARGET=Debug;
LinkProject=Lib.lib;
Folder=S;
[S]
SOURCECOUNT=4
SOURCE0=main.c
SOURCE1=start.asm
SOURCE2=my link.lcf
SOURCE3=gen.h
[PROJECT!MACRO!Debug]
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

Clean :
	rm C:\ws\tiny\obj\main.asm
	rm C:\ws\tiny\obj\main.i
	rm C:\ws\tiny\obj\main.rel
	rm C:\ws\tiny\obj\main.fal
	rm C:\ws\tiny\obj\main.ims
	rm C:\ws\tiny\obj\main.irl
	rm C:\ws\tiny\obj\main.med
	rm C:\ws\tiny\obj\start.rel
	rm C:\ws\tiny\obj\start.fal
	rm C:\ws\tiny\obj\start.ims
	rm C:\ws\tiny\obj\start.irl
	rm C:\ws\tiny\obj\start.med
	rm .\out\Tiny.pak

)"},
      {SubProjectMode, R"(all :  "$(OUTPUT)\Tiny.abs" "out\Tiny.s32" ".\out\Tiny.pak"

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

Clean :
	rm C:\ws\tiny\obj\main.asm
	rm C:\ws\tiny\obj\main.i
	rm C:\ws\tiny\obj\main.rel
	rm C:\ws\tiny\obj\main.fal
	rm C:\ws\tiny\obj\main.ims
	rm C:\ws\tiny\obj\main.irl
	rm C:\ws\tiny\obj\main.med
	rm C:\ws\tiny\obj\start.rel
	rm C:\ws\tiny\obj\start.fal
	rm C:\ws\tiny\obj\start.ims
	rm C:\ws\tiny\obj\start.irl
	rm C:\ws\tiny\obj\start.med
	rm .\out\Tiny.pak

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

Clean :
	rm C:\ws\tiny\obj\main.asm
	rm C:\ws\tiny\obj\main.i
	rm C:\ws\tiny\obj\main.rel
	rm C:\ws\tiny\obj\main.fal
	rm C:\ws\tiny\obj\main.ims
	rm C:\ws\tiny\obj\main.irl
	rm C:\ws\tiny\obj\main.med
	rm C:\ws\tiny\obj\start.rel
	rm C:\ws\tiny\obj\start.fal
	rm C:\ws\tiny\obj\start.ims
	rm C:\ws\tiny\obj\start.irl
	rm C:\ws\tiny\obj\start.med
	rm _FALTMP_\Tiny.pak

)~"},
  };
  for (const auto& c : cases) {
    Open({{"C:\\ws\\tiny\\Tiny.kbp", kTiny}, {"C:\\ws\\lib\\Lib.kbp", kLib}});
    ExpectText(Rules(Text("Tiny", c.mode)), c.expected, StringPrintf("mode %d", c.mode));
  }
}

}  // namespace
}  // namespace zelvan
