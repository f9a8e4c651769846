# The two everyday commands are `make demo` and `make test`; both install what is
# missing from Debian first.
BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            libsndfile1-dev libcairo2-dev libfreetype-dev libcli11-dev libjpeg62-turbo-dev \
            fonts-roboto-unhinted
CMAKE_FLAGS ?=

.PHONY: deps build test demo faults fuzz-explore fuzz-build install clean

deps:
	@tools/install-deps.sh $(PACKAGES)

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVERN_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The fault suite: the whole test suite under AddressSanitizer and UndefinedBehavior-
# Sanitizer, the concurrency tests under ThreadSanitizer, every fuzzer for
# FUZZ_SECONDS each, and an hour of randomly automated audio.
FUZZ_SECONDS ?= 30
FAULT_PACKAGES := clang libclang-rt-14-dev
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0 \
                 LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan-suppressions.txt:print_suppressions=0 \
                 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 TSAN_OPTIONS=halt_on_error=1

faults: build
	@tools/install-deps.sh $(FAULT_PACKAGES)
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DHALVERN_SANITIZE=address,undefined -DHALVERN_BENCHMARKS=OFF
	cmake --build build-asan -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir build-asan --output-on-failure -j $(JOBS)
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DHALVERN_SANITIZE=thread -DHALVERN_TOOLS=OFF -DHALVERN_BENCHMARKS=OFF
	cmake --build build-tsan -j $(JOBS) --target halvern_concurrency_tests
	$(SANITIZER_ENV) ctest --test-dir build-tsan --output-on-failure -R '^Concurrency\.'
	$(MAKE) fuzz-build
	$(SANITIZER_ENV) tools/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)
	$(BUILD)/bench/plugin/halvern_long_run

# The fuzzers with fresh random seeds, to look for new faults; not part of CI, whose
# fuzzing replays fixed seeds.
fuzz-explore:
	@tools/install-deps.sh $(FAULT_PACKAGES)
	$(MAKE) fuzz-build
	$(SANITIZER_ENV) tools/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS) --explore

fuzz-build:
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DHALVERN_FUZZ=ON -DHALVERN_SANITIZE=address,undefined -DHALVERN_TESTS=OFF \
	  -DHALVERN_TOOLS=OFF -DHALVERN_BENCHMARKS=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzzers

# The main job: a release build of the plug-in and halvern-render in their own folder,
# then the demo renders (WAV files and impulse-response plots) under $(BUILD)/demo/.
DEMO_BUILD ?= $(BUILD)-release

demo: deps
	cmake -S . -B $(DEMO_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DHALVERN_TESTS=OFF -DHALVERN_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(DEMO_BUILD) -j $(JOBS) --target halvern-render
	$(DEMO_BUILD)/tools/render/halvern-render --plugin $(DEMO_BUILD)/Halvern.clap --demo $(BUILD)/demo

# Copies the module where CLAP hosts look for the user's plug-ins; PREFIX=/usr/lib/clap
# installs it for every user.
PREFIX ?= $(HOME)/.clap

install: build
	install -d $(PREFIX)
	install -m 644 $(BUILD)/Halvern.clap $(PREFIX)/Halvern.clap

clean:
	rm -rf $(BUILD) build-*
