# Karvio: the two commands of the README are `make run` and `make test`; the rest are their parts.
BUILD       ?= build
BUILD_ASAN  ?= build-asan
BUILD_FUZZ  ?= build-fuzz
FUZZ_SECONDS ?= 30
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run cli test check test-main test-sanitize fuzz-smoke fuzz bench install clean

all: build

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Starts the desktop program on its default data file (or on DATA=path).
run: build
	@if [ -x $(BUILD)/bin/Karvio ]; then \
	    exec $(BUILD)/bin/Karvio $(DATA); \
	else \
	    $(BUILD)/bin/karvio-cli --help; $(BUILD)/bin/karvio-cli info; \
	fi

# Every test: the full build's tests, the engine tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of the catalogue fuzzer.
test: test-main test-sanitize fuzz-smoke

# The quick check for day-to-day work: the full build's tests only (TESTS=regex picks some).
check: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) $(if $(TESTS),-R '$(TESTS)')

test-main: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKARVIO_SANITIZE=ON \
	    -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1 -fno-omit-frame-pointer" \
	    -DKARVIO_BUILD_APP=OFF -DKARVIO_BUILD_BENCH=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS)

$(BUILD_FUZZ)/bin/fuzz_catalogue: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DKARVIO_FUZZ=ON -DKARVIO_BUILD_APP=OFF -DKARVIO_BUILD_BENCH=OFF -DBUILD_TESTING=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_catalogue

fuzz-smoke: $(BUILD_FUZZ)/bin/fuzz_catalogue
	rm -rf $(BUILD_FUZZ)/corpus && mkdir -p $(BUILD_FUZZ)/corpus && cp fuzz/corpus/* $(BUILD_FUZZ)/corpus/
	$(BUILD_FUZZ)/bin/fuzz_catalogue -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	    -timeout=10 -rss_limit_mb=1024 $(BUILD_FUZZ)/corpus

# A long fuzzing run: make fuzz FUZZ_SECONDS=600
fuzz: fuzz-smoke

bench: build
	@ls $(BUILD)/bin/

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
