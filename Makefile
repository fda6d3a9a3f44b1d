# Tavrel: `make test` and `make run` do all the set-up on a fresh Debian machine.

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# Debian packages the build and the tests need.
PACKAGES := cmake g++ make pkg-config libicu-dev libgtest-dev tzdata util-linux
# The window, and its tests in a virtual X server.
PACKAGES += qt6-base-dev fonts-vlgothic xvfb xauth xdotool imagemagick openbox wmctrl
# The FAT, exFAT and NTFS images the tests make and mount through FUSE.
PACKAGES += fuse3 fusefat exfat-fuse exfatprogs ntfs-3g dosfstools mount

.PHONY: all deps configure build test run clean

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

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

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

clean:
	rm -rf $(BUILD)
