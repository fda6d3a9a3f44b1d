# Tavrel: `make test`, `make check` and `make run` do all the set-up on a fresh
# Debian machine.

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# The sanitizer build (ASan, LSan, UBSan) and the fuzz build, each in a build
# directory of its own and both with clang.
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
CLANG_CXX ?= clang++
# The longest any one test may take before ctest calls it failed: a bound for
# a hung test, generous enough for the sanitizer build on a busy machine.
TEST_TIMEOUT ?= 900
# How long `make fuzz-explore` runs each fuzz target.
FUZZ_EXPLORE_SECONDS ?= 600
# Debian packages the build and the tests need.
PACKAGES := cmake g++ make pkg-config libicu-dev libgtest-dev tzdata util-linux
# The window, and its tests in a virtual X server.
PACKAGES += qt6-base-dev fonts-vlgothic xvfb xauth xdotool imagemagick openbox wmctrl
# The window read as a screen reader reads it (the accessibility bus and its
# Python bindings), and files put on the clipboard by another program.
PACKAGES += at-spi2-core python3-pyatspi xclip
# Qt's Wayland plugin: the package recommends it, and the window's start is
# tried with it where no compositor answers.
PACKAGES += qt6-wayland
# The window's font with Tahoma's metrics (Wine's), and a condensed sans.
PACKAGES += fonts-wine fonts-dejavu-extra
# The FAT, exFAT and NTFS images the tests make and mount through FUSE.
PACKAGES += fuse3 fusefat exfat-fuse exfatprogs ntfs-3g dosfstools mount
# The slowed pass-through file systems of the window tests of long work and of
# the benchmarks.
PACKAGES += libfuse3-dev
# Clang and its runtimes for the sanitizer and fuzz builds, llvm for the
# symbolizer that names the lines in their reports.
PACKAGES += clang libclang-rt-14-dev llvm
# The benchmarks: Google Benchmark, and what the figures are measured against
# or with (perl's rename, Python, GNU time).
PACKAGES += libbenchmark-dev rename python3 time
# The benchmarks on file systems far away: a slow FUSE layer of our own
# (libfuse3, listed above), and sshfs against an sshd of the run's own on
# loopback.
PACKAGES += sshfs openssh-server openssh-client
# The install tests: the desktop entry's validator, and man and groff to render
# the manual page.
PACKAGES += desktop-file-utils man-db groff-base
# The desktop entry tried with the desktop's own tools: gio.
PACKAGES += libglib2.0-bin
# The Debian package (make deb): its checker, lintian; dpkg-dev's dpkg-shlibdeps
# works out the package's Depends.
PACKAGES += lintian dpkg-dev
# A share as the file manager opens it: an SMB server of the test's own (and an
# SSH server, above), the share browser's daemons and FUSE mount, a private
# D-Bus session.
PACKAGES += samba gvfs-fuse gvfs-backends dbus-daemon
# The date taken's samples, made at test time (ImageMagick, above; heif-enc;
# ffmpeg), and exiftool, which writes their tags and reads them as the
# differential test's oracle.
PACKAGES += libheif-examples ffmpeg libimage-exiftool-perl
# The same shares through kio-fuse (the SMB and SFTP workers are kio-extras'),
# its daemons given a home folder of their own through nss_wrapper; the window
# asks kio-fuse for the paths of dropped smb:// and sftp:// locations.
PACKAGES += kio-fuse kio-extras libnss-wrapper
# Tavrel.exe: cross-built with mingw-w64 (posix threads, linked statically),
# tested under Wine in a virtual X server; GoogleTest is built from Debian's
# sources with the same compiler.
PACKAGES += g++-mingw-w64-x86-64-posix wine wine64 locales googletest
WIN_BUILD ?= build-win
# The longest any one Windows test may take under Wine before ctest calls it
# failed (a hung Wine process must not hang the run).
WIN_TEST_TIMEOUT ?= 900
VERSION := 1.2.0.13
WIN_ZIP := dist/Tavrel-$(VERSION)-win64.zip
# The Debian package's build, with its settings in ~/.config/tavrel/.
DEB_BUILD ?= build-deb
# Where `make install` puts Tavrel, and `make uninstall` takes it away again.
# The window writes setup.ini beside the program, so PREFIX/bin must stay
# writable for whoever runs it: a per-user prefix, not /usr/local.
PREFIX ?= $(HOME)/.local

.PHONY: all deps configure build test package-test unit-test check sanitize fuzz fuzz-explore fuzz-build bench run install \
        uninstall screenshot clean windows windows-configure windows-test windows-zip deb

all: build

# Installs the missing packages (as root), or names them.
deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" != 0 ]; then echo "Missing Debian packages:$$missing (install them as root)"; exit 1; fi; \
	  echo "Installing:$$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The quick suite, to run after every change: the normal build and all its
# tests (window, install, race, crash and file-system tests included), but for
# the Debian package's end-to-end test (label "package"), which builds the
# package first and installs it as root: make check runs it in a stage of its own.
test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout $(TEST_TIMEOUT) -LE '^package$$'

# The Debian package end to end (tests/install/deb_package_test.sh): make deb,
# apt-get install, the program and its window, apt-get purge. As root only.
package-test: build
	cd $(BUILD) && ctest --output-on-failure -L '^package$$' --timeout 3600

# The name the quick suite had before; kept for scripts that use it.
unit-test: test

# Everything CI runs, in order: the quick suite, the Debian package end to end,
# the same tests under the sanitizers, every fuzz target on its fixed inputs,
# then Tavrel.exe's tests under Wine and its zip. Each stage says how long it
# took.
check:
	$(call timed_stage,test)
	$(call timed_stage,package-test)
	$(call timed_stage,sanitize)
	$(call timed_stage,fuzz)
	$(call timed_stage,windows-test)
	$(call timed_stage,windows-zip)
	@cat $(BUILD)/check-stages.txt

# Runs `make STAGE` and appends its time to $(BUILD)/check-stages.txt.
define timed_stage
@mkdir -p $(BUILD); [ "$(1)" != test ] || : > $(BUILD)/check-stages.txt; \
start=$$(date +%s); $(MAKE) --no-print-directory $(1) && \
echo "make check: stage '$(1)' took $$(( $$(date +%s) - start )) s" | tee -a $(BUILD)/check-stages.txt
endef

# The whole project and its tests built with ASan, LSan and UBSan; any report
# fails the test that caught it (the options are built into every program).
sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DCMAKE_CXX_COMPILER=$(CLANG_CXX) -DTAVREL_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS) --timeout $(TEST_TIMEOUT) -LE '^package$$'

# Builds the fuzz targets and runs each on the same inputs every time: its seed
# corpus, then the fixed count of runs in fuzz/gate_runs.txt from a fixed seed.
# A crash fails. The executions per target are written to
# $(FUZZ_BUILD)/fuzz-summary.txt.
fuzz: fuzz-build
	fuzz/run_fuzzers.sh gate $(FUZZ_BUILD)

# Explores on purpose, outside CI: every fuzz target from a fresh random seed
# for FUZZ_EXPLORE_SECONDS, its finds kept in $(FUZZ_BUILD)/fuzz-corpus/. A
# crashing input belongs in fuzz/corpus/<target>/ beside its fix.
fuzz-explore: fuzz-build
	fuzz/run_fuzzers.sh explore $(FUZZ_BUILD) $(FUZZ_EXPLORE_SECONDS)

fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DCMAKE_CXX_COMPILER=$(CLANG_CXX) -DTAVREL_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target tavrel_fuzzers

# Every figure of the performance table, against the floor and against other
# tools, medians of BENCH_RUNS runs; the report goes to $(BUILD)/bench/report.md.
# Fails when a figure misses its target. Takes about 45 minutes, most of it on
# the file systems far away (FUSE with 1 ms a request, sshfs).
BENCH_RUNS ?= 5
bench: build
	BUILD=$(BUILD) BENCH_RUNS=$(BENCH_RUNS) bench/run_all.sh

# `make run ARGS='PATH...'` renames those paths from the command line; without
# ARGS it opens the window, or, where there is no display, shows the
# command-line demonstration on a freshly generated sample folder.
run: build
	@if [ -n "$(ARGS)" ]; then \
	  ./$(BUILD)/tavrel $(ARGS); \
	elif [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  ./$(BUILD)/tavrel; \
	else \
	  echo "No display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset);"; \
	  echo "showing the command-line mode on a sample folder instead."; \
	  scripts/demo.sh ./$(BUILD)/tavrel $(BUILD)/demo; \
	fi

# The program in PREFIX/bin, the desktop entry, the icons and the manual page
# below PREFIX/share, and a record of it all in PREFIX/share/tavrel.
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes what the install recorded, and the folders it created once they are
# empty; the setup.ini that the window wrote beside the program stays.
uninstall:
	cmake -DPREFIX="$(PREFIX)" -P cmake/Uninstall.cmake

# dist/tavrel_<version>_<arch>.deb: the program built for /usr with its
# settings in $XDG_CONFIG_HOME/tavrel/, packed by cpack (Depends from
# dpkg-shlibdeps), then checked by lintian, whose errors fail the target.
# Compiled and linked with Debian's hardening flags, all of them (dpkg-buildflags).
DEB_BUILDFLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
deb: deps
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCMAKE_INSTALL_PREFIX=/usr \
	  -DTAVREL_XDG_SETTINGS=ON -DTAVREL_DEB_PACKAGE=ON -DBUILD_TESTING=OFF -DTAVREL_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS="$$($(DEB_BUILDFLAGS) CPPFLAGS) $$($(DEB_BUILDFLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_BUILDFLAGS) LDFLAGS)" \
	  -DCMAKE_MODULE_LINKER_FLAGS="$$($(DEB_BUILDFLAGS) LDFLAGS)"
	cmake --build $(DEB_BUILD) -j$(JOBS)
	rm -f $(DEB_BUILD)/tavrel_*.deb
	cd $(DEB_BUILD) && cpack -G DEB
	mkdir -p dist
	rm -f dist/tavrel_*.deb
	cp $(DEB_BUILD)/tavrel_*.deb dist/
	lintian --fail-on error dist/tavrel_*.deb
	@echo "Made $$(ls dist/tavrel_*.deb)"

# Takes the window's picture again (the window test draws it under Xvfb) and
# puts it where the README shows it.
screenshot: build
	cd $(BUILD) && ctest --output-on-failure -R '^WindowEndToEnd$$'
	cp $(BUILD)/screenshots/tavrel-window.png doc/tavrel-window.png

# Tavrel.exe in $(WIN_BUILD), with its tests.
windows-configure: deps
	cmake -S . -B $(WIN_BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DTAVREL_DRAG_SOURCE=$(abspath $(BUILD))/tests/ui/tavrel_drag_source

windows: windows-configure
	cmake --build $(WIN_BUILD) -j$(JOBS)

# The Windows tests under Wine: one Wine prefix for the whole run, made in a
# temporary folder by a set-up test and removed by a clean-up test. The window's
# end-to-end run drags files onto Tavrel.exe from the Linux build's drag source.
windows-test: windows configure
	cmake --build $(BUILD) --target tavrel_drag_source
	cd $(WIN_BUILD) && ctest --output-on-failure -j$(JOBS) --timeout $(WIN_TEST_TIMEOUT)
	@# Why each skipped test did not run under Wine (GoogleTest's "Skipped" lines).
	@grep -h -A1 ': Skipped$$' $(WIN_BUILD)/Testing/Temporary/LastTest.log || true

# The zip for Windows users: Tavrel.exe and a short README.txt.
windows-zip: windows
	rm -rf $(WIN_BUILD)/zip && mkdir -p $(WIN_BUILD)/zip dist
	x86_64-w64-mingw32-strip -o $(WIN_BUILD)/zip/Tavrel.exe $(WIN_BUILD)/Tavrel.exe
	sed 's/$$/\r/' doc/windows-readme.txt > $(WIN_BUILD)/zip/README.txt
	rm -f $(WIN_ZIP)
	cd $(WIN_BUILD)/zip && python3 -m zipfile -c $(CURDIR)/$(WIN_ZIP) Tavrel.exe README.txt
	@echo "Made $(WIN_ZIP)"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) $(DEB_BUILD) dist
