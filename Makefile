# The two commands of the README:
#   make demo   set up, build the program and its component (not the tests), and run
#               it on the bundled example workspace
#   make test   set up, build everything, and run every test
# Both install the missing Debian packages first (as root, with apt-get).
# Then:
#   make install PREFIX=DIR   install the build below DIR (default /usr/local; DESTDIR is honoured)
#   make package              the Debian package $(BUILD)/zelvan_<version>_<arch>.deb
#   make real-code            the real-code suite (tests/real_code): zelvan on the Linux
#                             and newlib sources against gcc -MM, ctags and GNU ld
#   make windows              the Windows build in $(WINDOWS_BUILD)/ (MinGW-w64 cross
#                             compiler), and its test run under Wine (tools/windows-test.sh),
#                             which compares with the Linux build in $(BUILD)/ when there is one

BUILD ?= build
CMAKE_FLAGS ?=
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
WINDOWS_BUILD ?= build-windows
# What the Windows build makes: the command line, the platform layer's tests,
# ZELVAN.DLL and the COM client that calls it (src/service/component_wine_test.sh).
WINDOWS_TARGETS ?= zelvan zelvan_platform_tests zelvan_component component_com_client
CCACHE := $(shell command -v ccache >/dev/null 2>&1 && echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache")

.PHONY: all deps configure build demo test real-code windows install package clean format

all: build

deps:
	@echo "== dependencies (tools/packages.txt)"
	@tools/install-deps.sh

configure: deps
	@echo "== configuring $(BUILD)/"
	@if [ ! -f $(BUILD)/CMakeCache.txt ]; then cmake -S . -B $(BUILD) $(GENERATOR) $(CMAKE_FLAGS); \
	else cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null; fi

build: configure
	@echo "== building everything: the program, its component, the tests and the benchmarks"
	cmake --build $(BUILD) -j $(JOBS)

# The demo needs only the program and the component module; `make test` builds the rest.
demo: configure
	@echo "== building the program and its component (make test builds the tests)"
	cmake --build $(BUILD) -j $(JOBS) --target zelvan zelvan_component
	@echo "== the demo: tools/demo.sh on a copy of examples/"
	tools/demo.sh $(BUILD)/src/cli/zelvan

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -LE real_code

real-code: deps
	@tools/install-deps.sh tools/packages-real-code.txt
	@$(MAKE) --no-print-directory build CMAKE_FLAGS="$(CMAKE_FLAGS) -DZELVAN_REAL_CODE=ON"
	ctest --test-dir $(BUILD) --output-on-failure -L real_code

# Lean: -O1, no benchmarks, and of the tests only the platform's and the
# component's through the COM runtime (they run under Wine).
windows: deps
	@tools/install-deps.sh tools/packages-windows.txt
	@echo "== configuring $(WINDOWS_BUILD)/ (MinGW-w64 cross build)"
	@if [ ! -f $(WINDOWS_BUILD)/CMakeCache.txt ]; then cmake -S . -B $(WINDOWS_BUILD) $(GENERATOR) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
	  "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O1 -DNDEBUG" \
	  -DZELVAN_TESTS=OFF -DZELVAN_BENCH=OFF -DZELVAN_PLATFORM_TESTS=ON $(CCACHE) $(CMAKE_FLAGS); \
	else cmake -S . -B $(WINDOWS_BUILD) $(CMAKE_FLAGS) >/dev/null; fi
	@echo "== building $(WINDOWS_TARGETS) for Windows"
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target $(WINDOWS_TARGETS)
	tools/windows-test.sh $(WINDOWS_BUILD) $(BUILD)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

package: build
	cd $(BUILD) && cpack -G DEB

format:
	git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(WINDOWS_BUILD)
