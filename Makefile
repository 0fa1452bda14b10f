# The two commands of the README:
#   make demo   set up, build, and turn the bundled example workspace into makefiles
#   make test   set up, build, and run every test
# Both install the missing Debian packages first (as root, with apt-get).
# Then:
#   make install PREFIX=DIR   install the build below DIR (default /usr/local; DESTDIR is honoured)
#   make package              the Debian package $(BUILD)/zelvan_<version>_<arch>.deb
#   make real-code            the real-code suite (tests/real_code): zelvan on the Linux
#                             and newlib sources against gcc -MM, ctags and GNU ld

BUILD ?= build
CMAKE_FLAGS ?=
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local

.PHONY: all deps configure build demo test real-code install package clean format

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD)/CMakeCache.txt ]; then cmake -S . -B $(BUILD) $(GENERATOR) $(CMAKE_FLAGS); \
	else cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null; fi

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	tools/demo.sh $(BUILD)/src/cli/zelvan

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -LE real_code

real-code: deps
	@tools/install-deps.sh tools/packages-real-code.txt
	@$(MAKE) --no-print-directory build CMAKE_FLAGS="$(CMAKE_FLAGS) -DZELVAN_REAL_CODE=ON"
	ctest --test-dir $(BUILD) --output-on-failure -L real_code

install: build
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

package: build
	cd $(BUILD) && cpack -G DEB

format:
	git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
