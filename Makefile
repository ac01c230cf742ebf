# Two commands for a fresh Debian machine: `make run` and `make test`.
# Both install the Debian packages that are missing (with sudo when not root),
# configure with CMake and build into build/.

PACKAGES := g++ cmake make libgtest-dev libbenchmark-dev qt6-base-dev locales
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= $(shell nproc)

.PHONY: all deps build run test sanitize tsan soak bench clean

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

# Everything, the window and its tests included, under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the test that made it.
sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

# The simulation tests (the step kernels and the worker pool with two threads)
# under ThreadSanitizer.
TSAN_TARGETS := driftmote_sim_tests driftmote_uicore_tests driftmote-fast-tests
tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS) --target $(TSAN_TARGETS)
	ctest --preset tsan -j $(JOBS)

# The window driven by random input on a virtual display (tools/soak.sh).
SOAK_SECONDS ?= 300
soak: PACKAGES += xvfb xdotool openbox x11-utils
soak: build
	tools/soak.sh $(SOAK_SECONDS) $(SOAK_SEED)

bench: build
	./build/driftmote-bench

clean:
	rm -rf build build-debug build-sanitize build-tsan
