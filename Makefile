# SPDX-License-Identifier: MIT
# Two commands for a fresh Debian machine: `make run` and `make test`.
# Both install the Debian packages that are missing (with sudo when not root),
# configure with CMake and build into build/.

PACKAGES := g++ cmake make libgtest-dev libbenchmark-dev qt6-base-dev qt6-wayland nlohmann-json3-dev locales desktop-file-utils appstream \
  ccache pkgconf libavformat-dev libavcodec-dev libswscale-dev libavutil-dev acl libstb-dev
# Only for `make package` and `make icons`.
PACKAGE_PACKAGES := dpkg-dev file lintian
ICON_PACKAGES := python3 librsvg2-bin
# For `make cross-check` only: Debian's arm64 and i686 cross compilers (which bring
# those C++ libraries) and the emulators; GoogleTest is built from libgtest-dev's sources;
# the machine's own g++ builds the Linux tool whose pictures the cross tools' must equal.
CROSS_PACKAGES := cmake make file g++ libgtest-dev nlohmann-json3-dev libstb-dev g++-aarch64-linux-gnu \
  g++-i686-linux-gnu binutils-i686-linux-gnu qemu-user
# For `make windows-check` only: Debian's mingw-w64 cross compilers (64- and 32-bit)
# with POSIX threads and wine to run their programs; GoogleTest is built from
# libgtest-dev's sources. The pictures are written with stb's image writer, and the
# resource generator reads the icons with stb_image; the machine's own g++ builds the
# Linux tool whose pictures the Windows tool's must equal; the window runs on Xvfb,
# its resources are read back with pefile, its canvas is compared through
# ImageMagick, and NSIS makes its installer.
WINDOWS_PACKAGES := cmake make file g++ libgtest-dev nlohmann-json3-dev g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
  wine wine64 libstb-dev xvfb python3-pefile imagemagick nsis
# For `make web` and `make web-check`: Debian's emscripten (which brings node and
# the clang it compiles with); the check runs the page in Debian's chromium,
# driven by puppeteer-core from npm (tests/web/package.json), and compares its
# pictures and snapshots with the machine's own driftmote-sim.
WEB_PACKAGES := emscripten nodejs cmake make ccache nlohmann-json3-dev libstb-dev
WEB_CHECK_PACKAGES := $(WEB_PACKAGES) chromium g++
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory

.PHONY: web web-check web-bench all deps all-deps build run test sanitize tsan soak a11y-check wayland-check record-check fuzz bench package icons cross-check windows-check wine32 fault-hunt clean

all: build

# Whether Debian package $(1) is installed: one whose triggers are still to run
# (ccache's and desktop-file-utils' run when another install brings compilers or
# menu entries) is.
is-installed = dpkg-query -W -f='$${db:Status-Status}\n' $(1) 2>/dev/null | grep -qx 'installed\|triggers-pending\|triggers-awaited'
# An install waits for another install's dpkg lock (CI installs the other checks'
# packages beside the builds) rather than fail at once. `apt-get update` does not
# wait for the package lists' lock, which an install holds only in its first seconds.
APT_GET := apt-get -o DPkg::Lock::Timeout=900

# Installs those of the Debian packages $(1) that are missing, or says plainly why
# it cannot: no apt-get (then it lists them to install by hand), or no root and no sudo.
define install-missing
	@missing=$$(for p in $(1); do \
	    $(call is-installed,$$p) || echo $$p; \
	  done); \
	[ -z "$$missing" ] && exit 0; \
	if ! command -v apt-get >/dev/null 2>&1; then \
	  echo "This system has no apt-get. Install these Debian packages (or your system's" >&2; \
	  echo "packages that provide the same) by hand, then run make again with PACKAGES= :" >&2; \
	  echo "  $$missing" >&2; \
	  exit 1; \
	fi; \
	if [ -n "$(SUDO)" ] && ! command -v sudo >/dev/null 2>&1; then \
	  echo "These packages are missing: $$missing" >&2; \
	  echo "Installing them needs root, and sudo is not installed: run make as root," >&2; \
	  echo "or as root: apt-get install $$missing" >&2; \
	  exit 1; \
	fi; \
	echo "Installing missing packages:" $$missing; \
	$(SUDO) $(APT_GET) update && \
	$(SUDO) env DEBIAN_FRONTEND=noninteractive $(APT_GET) install -y $$missing
endef

deps:
	$(call install-missing,$(PACKAGES))

# Every package of every target here in one apt-get run, and wine32 after it, for a
# machine that runs all the checks (CI); each target still installs its own.
all-deps:
	$(call install-missing,$(sort $(PACKAGES) $(PACKAGE_PACKAGES) $(CROSS_PACKAGES) $(WINDOWS_PACKAGES) \
	  $(WEB_CHECK_PACKAGES) $(SOAK_PACKAGES) $(A11Y_PACKAGES) $(WAYLAND_PACKAGES) $(FUZZ_PACKAGES)))
	$(MAKE) --no-print-directory wine32

build/CMakeCache.txt:
	cmake --preset release

build: deps build/CMakeCache.txt
	cmake --build --preset release -j $(JOBS)

# Only what it runs: the window and the tool, not the tests and benchmarks.
run: deps build/CMakeCache.txt
	cmake --build --preset release -j $(JOBS) --target driftmote driftmote-sim
	./build/driftmote

test: build
	ctest --preset release -j $(JOBS)

# Everything, the window and its tests included, under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the test that made it.
sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

# The simulation tests (the step kernels and the worker pool with two threads)
# under ThreadSanitizer.
TSAN_TARGETS := driftmote-sim-tests driftmote-session-tests driftmote-snapshot-tests driftmote-fast-tests
tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS) --target $(TSAN_TARGETS)
	ctest --preset tsan -j $(JOBS)

# The window driven by random input on a virtual display (scripts/soak.sh).
SOAK_SECONDS ?= 300
SOAK_PACKAGES := xvfb xdotool openbox x11-utils dbus at-spi2-core python3-pyatspi
soak: PACKAGES += $(SOAK_PACKAGES)
soak: build
	scripts/soak.sh $(SOAK_SECONDS) $(SOAK_SEED)

# The window's accessible tree read over AT-SPI as a screen reader reads it
# (scripts/a11y-check.sh).
A11Y_PACKAGES := xvfb xdotool dbus at-spi2-core python3-pyatspi
a11y-check: PACKAGES += $(A11Y_PACKAGES)
a11y-check: build
	scripts/a11y-check.sh

# The window on Wayland under a headless weston: a screenshot shows the particles,
# and the frame loop rests while the compositor does not show the window
# (scripts/wayland-check.sh).
WAYLAND_PACKAGES := weston qt6-wayland imagemagick python3
wayland-check: PACKAGES += $(WAYLAND_PACKAGES)
wayland-check: build
	scripts/wayland-check.sh

# A recording of the window while a particle is dragged (scripts/record-check.sh):
# how many pictures a second the video holds. A measurement, not a test: run it on
# a quiet machine. RECORD_COUNT particles (2000) for RECORD_SECONDS (10).
RECORD_COUNT ?= 2000
RECORD_SECONDS ?= 10
record-check: PACKAGES += xvfb xdotool openbox x11-utils imagemagick ffmpeg
record-check: build
	scripts/record-check.sh $(RECORD_COUNT) $(RECORD_SECONDS)

# The libFuzzer targets, each for FUZZ_SECONDS from its corpus in tests/fuzz/corpus/,
# JOBS of them side by side (each takes one core); a failing one's log is shown.
# New inputs go to build-fuzz/corpus/, crashes to build-fuzz/crashes/; a crash
# that shows a fault is mended and its input kept in the repository's corpus.
FUZZ_PACKAGES := clang libfuzzer-14-dev libclang-rt-14-dev
FUZZ_TARGETS := texts cli step snapshot
FUZZ_SECONDS ?= 60
fuzz: PACKAGES += $(FUZZ_PACKAGES)
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	ctest --preset fuzz
	@mkdir -p build-fuzz/crashes && for t in $(FUZZ_TARGETS); do mkdir -p build-fuzz/corpus/$$t; done
	@printf '%s\n' $(FUZZ_TARGETS) | xargs -P $(JOBS) -I '{}' sh -c \
	  './build-fuzz/fuzz-{} -max_total_time=$(FUZZ_SECONDS) -timeout=20 -print_final_stats=1 \
	    -artifact_prefix=build-fuzz/crashes/{}- build-fuzz/corpus/{} tests/fuzz/corpus/{} 2> build-fuzz/fuzz-{}.log'; \
	  status=$$?; \
	  for t in $(FUZZ_TARGETS); do \
	    echo "== fuzz-$$t for $(FUZZ_SECONDS) s"; \
	    grep -qE '^#[0-9]+[[:space:]]+DONE' build-fuzz/fuzz-$$t.log || tail -n 60 build-fuzz/fuzz-$$t.log; \
	    grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units' build-fuzz/fuzz-$$t.log; \
	  done; \
	  exit $$status

bench: build
	./build/driftmote-bench

# Each fault of scripts/fault-hunt.tsv put into the code on its own, the tests run
# and the file put back (about half a minute a fault); FAULTS=sim or FAULTS="sim-3 ui"
# for some of them. Not part of make test.
fault-hunt: build
	scripts/fault-hunt.sh $(FAULTS)

# The Debian packages build/driftmote-sim_<version>_<arch>.deb (the tool) and
# build/driftmote_<version>_<arch>.deb (the window), each checked by lintian: an
# error or a warning that is not overridden fails.
package: build
	$(call install-missing,$(PACKAGE_PACKAGES))
	rm -f build/*.deb
	cmake --build --preset release --target package
	lintian --fail-on error,warning build/*.deb

# The icon's SVG picture and its PNG sizes under res/icons/, from scripts/make-icon.py.
icons:
	$(call install-missing,$(ICON_PACKAGES))
	python3 scripts/make-icon.py

# The tool and the simulation tests built for arm64 and for i686 (32-bit x86, its
# floats in SSE2) and run under qemu; the tool's output must match every golden
# trajectory, and its pictures the Linux tool's, byte for byte.
cross-check:
	$(MAKE) --no-print-directory deps PACKAGES="$(CROSS_PACKAGES)"
	JOBS=$(JOBS) scripts/cross-check.sh build-arm64 arm64
	JOBS=$(JOBS) scripts/cross-check.sh build-i686 i686

# driftmote-sim and the window-free tests built for 64-bit Windows and run under
# wine with no display: the tests, every golden trajectory byte for byte on each
# kernel, the pictures against the Linux tool's, and the tool's Windows ways
# (scripts/windows-check.sh).
# wine64 is installed first and by name: wine32 alone also satisfies the wine package,
# and then no 64-bit program runs.
windows-check:
	$(MAKE) --no-print-directory deps PACKAGES="$(WINDOWS_PACKAGES)"
	$(MAKE) --no-print-directory wine32
	JOBS=$(JOBS) scripts/windows-check.sh build-windows

# wine32 runs the 32-bit Windows programs; it needs Debian's i386 packages, which
# cannot always be had (an index that fails to download leaves them out of step
# with the machine's own). Then the i386 architecture is taken away again, and
# the check says that the 32-bit programs were built but not run.
wine32:
	@$(call is-installed,wine32:i386) || \
	  { $(SUDO) dpkg --add-architecture i386 && $(SUDO) $(APT_GET) update -qq && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive $(APT_GET) install -y -qq wine32:i386; } >/dev/null 2>&1 || \
	  { $(SUDO) dpkg --remove-architecture i386 2>/dev/null; \
	    echo "wine32 could not be installed: Debian's i386 packages could not be had"; }

# The page, one file: build-web/driftmote.html, from two builds with Debian's
# emscripten, one for WebAssembly SIMD and one without (scripts/web-build.sh).
# Debian's emscripten comes with its system libraries compiled (a frozen cache),
# so only our own code is compiled, through ccache.
web:
	$(MAKE) --no-print-directory deps PACKAGES="$(WEB_PACKAGES)"
	JOBS=$(JOBS) scripts/web-build.sh build-web

# The page's checks: every golden run under node on both of its kernels, and the
# page in Debian's chromium against the machine's own driftmote-sim
# (scripts/web-check.sh; puppeteer-core comes from npm).
web-check: web
	$(MAKE) --no-print-directory deps PACKAGES="$(WEB_CHECK_PACKAGES)"
	JOBS=$(JOBS) scripts/web-check.sh build-web

# Steps per second of the page's two builds under node against the machine's own
# tool, at 350 and 2000 particles (scripts/web-bench.sh); results in bench/results/web.txt.
web-bench: web
	scripts/web-bench.sh build-web | tee bench/results/web.txt

clean:
	rm -rf build-web build build-debug build-sanitize build-tsan build-fuzz build-arm64 build-i686 build-windows build-windows-32 build-clang build-host build-host-cross
