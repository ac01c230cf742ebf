# Two commands for a fresh Debian machine: `make run` and `make test`.
# Both install the Debian packages that are missing (with sudo when not root),
# configure with CMake and build into build/.

PACKAGES := g++ cmake make libgtest-dev libbenchmark-dev qt6-base-dev locales
# For `make cross-check` only: the arm64 C++ libraries, a compiler for them (clang;
# Debian's g++-aarch64-linux-gnu is used instead when installed, but it cannot sit
# beside g++-multilib) and the emulator.
CROSS_PACKAGES := cmake make file libgtest-dev clang binutils-aarch64-linux-gnu libstdc++-12-dev-arm64-cross qemu-user
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= $(shell nproc)

.PHONY: all deps build run test sanitize bench cross-check clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:" $$missing; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	fi

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

# The tool and the simulation tests built for arm64 and run under qemu-aarch64;
# the tool's output must match every golden trajectory byte for byte.
cross-check:
	$(MAKE) --no-print-directory deps PACKAGES="$(CROSS_PACKAGES)"
	JOBS=$(JOBS) tools/cross-check.sh build-arm64

clean:
	rm -rf build build-debug build-sanitize build-arm64 build-clang
