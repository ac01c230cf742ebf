# Two commands for a fresh Debian machine: `make run` and `make test`.
# Both install the Debian packages that are missing (with sudo when not root),
# configure with CMake and build into build/.

PACKAGES := g++ cmake make libgtest-dev libbenchmark-dev qt6-base-dev nlohmann-json3-dev locales desktop-file-utils appstream
# Only for `make package` and `make icons`.
PACKAGE_PACKAGES := dpkg-dev file lintian
ICON_PACKAGES := python3 librsvg2-bin
# For `make cross-check` only: the arm64 C++ libraries, a compiler for them (clang;
# Debian's g++-aarch64-linux-gnu is used instead when installed, but it cannot sit
# beside g++-multilib) and the emulator.
CROSS_PACKAGES := cmake make file libgtest-dev clang binutils-aarch64-linux-gnu libstdc++-12-dev-arm64-cross qemu-user
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory

.PHONY: all deps build run test sanitize bench package icons cross-check clean

all: build

# Installs those of the Debian packages $(1) that are missing, or says plainly why
# it cannot: no apt-get (then it lists them to install by hand), or no root and no sudo.
define install-missing
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; \
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
	$(SUDO) apt-get update && \
	$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing
endef

deps:
	$(call install-missing,$(PACKAGES))

build/CMakeCache.txt:
	cmake --preset release

build: deps build/CMakeCache.txt
	cmake --build --preset release -j $(JOBS)

run: build
	./build/driftmote

test: build
	ctest --preset release -j $(JOBS)

# The simulation and the tool under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

bench: build
	./build/driftmote-bench

# The Debian package build/driftmote_<version>_<arch>.deb, checked by lintian.
package: build
	$(call install-missing,$(PACKAGE_PACKAGES))
	rm -f build/driftmote_*.deb
	cmake --build --preset release --target package
	lintian build/driftmote_*.deb

# The icon's SVG picture and its PNG sizes under res/icons/, from tools/make-icon.py.
icons:
	$(call install-missing,$(ICON_PACKAGES))
	python3 tools/make-icon.py

# The tool and the simulation tests built for arm64 and run under qemu-aarch64;
# the tool's output must match every golden trajectory byte for byte.
cross-check:
	$(MAKE) --no-print-directory deps PACKAGES="$(CROSS_PACKAGES)"
	JOBS=$(JOBS) tools/cross-check.sh build-arm64

clean:
	rm -rf build build-debug build-sanitize build-arm64 build-clang
