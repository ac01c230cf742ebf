# Two commands for a fresh Debian machine: `make run` and `make test`.
# Both install the Debian packages that are missing (with sudo when not root),
# configure with CMake and build into build/.

PACKAGES := g++ cmake make libgtest-dev libbenchmark-dev qt6-base-dev nlohmann-json3-dev locales
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= $(shell nproc)

.PHONY: all deps build run test sanitize fuzz bench clean

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

# The libFuzzer targets, each for FUZZ_SECONDS from its corpus in tests/fuzz/corpus/.
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
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$t build-fuzz/crashes && \
	  echo "== fuzz-$$t for $(FUZZ_SECONDS) s" && \
	  ./build-fuzz/fuzz-$$t -max_total_time=$(FUZZ_SECONDS) -timeout=20 -print_final_stats=1 \
	    -artifact_prefix=build-fuzz/crashes/$$t- build-fuzz/corpus/$$t tests/fuzz/corpus/$$t \
	    2> build-fuzz/fuzz-$$t.log || { tail -n 60 build-fuzz/fuzz-$$t.log; exit 1; }; \
	  grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units' build-fuzz/fuzz-$$t.log; \
	done

bench: build
	./build/driftmote-bench

clean:
	rm -rf build build-debug build-sanitize build-fuzz
