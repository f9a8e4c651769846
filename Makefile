# The two everyday commands are `make demo` and `make test`; both install what is
# missing from Debian first.
BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            libsndfile1-dev libcairo2-dev libfreetype-dev
CMAKE_FLAGS ?=

.PHONY: deps build test demo clean

deps:
	@tools/install-deps.sh $(PACKAGES)

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVERN_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) build-*
