# Karvio: the two commands of the README are `make run` and `make test`; the rest are their parts.
BUILD       ?= build
BUILD_ASAN  ?= build-asan
BUILD_FUZZ  ?= build-fuzz
BUILD_PACKAGE ?= build-package
FUZZ_SECONDS ?= 30
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run cli test check test-main test-sanitize fuzz-smoke fuzz bench install package clean

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
# UndefinedBehaviorSanitizer, and a short run of the catalogue fuzzer; ends with one summary.
test:
	@BUILD=$(BUILD) BUILD_ASAN=$(BUILD_ASAN) BUILD_FUZZ=$(BUILD_FUZZ) MAKE="$(MAKE)" ./scripts/run-tests.sh

# The quick check for day-to-day work: the full build's tests only (TESTS=regex picks some).
check: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) $(if $(TESTS),-R '$(TESTS)')

test-main: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The window tests run here too, on the offscreen platform: the engine and the desktop program
# at -O0 (which builds in a third of the time of -O1 and runs these tests as fast), the leaks of
# Qt's and the system's libraries suppressed (scripts/lsan-suppressions.txt), never the program's.
test-sanitize: deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKARVIO_SANITIZE=ON \
	    -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1 -fno-omit-frame-pointer" \
	    -DKARVIO_BUILD_APP=ON -DKARVIO_BUILD_BENCH=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan-suppressions.txt UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS)

$(BUILD_FUZZ)/bin/fuzz_catalogue: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DKARVIO_FUZZ=ON -DKARVIO_BUILD_APP=OFF -DKARVIO_BUILD_BENCH=OFF -DBUILD_TESTING=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_catalogue fuzz_details

# The fuzzers' progress goes to $(BUILD_FUZZ)/fuzz.log; its last lines are shown when one fails.
# The readers of what is inside files get their own run, over seeds the libraries' writers made.
fuzz-smoke: $(BUILD_FUZZ)/bin/fuzz_catalogue
	rm -rf $(BUILD_FUZZ)/corpus && mkdir -p $(BUILD_FUZZ)/corpus && cp fuzz/corpus/* $(BUILD_FUZZ)/corpus/
	rm -rf $(BUILD_FUZZ)/corpus-details && mkdir -p $(BUILD_FUZZ)/corpus-details && \
	    cp fuzz/corpus-details/* $(BUILD_FUZZ)/corpus-details/
	@echo "fuzz_catalogue for $(FUZZ_SECONDS) s (log: $(BUILD_FUZZ)/fuzz.log)"
	@$(BUILD_FUZZ)/bin/fuzz_catalogue -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	    -timeout=10 -rss_limit_mb=1024 $(BUILD_FUZZ)/corpus > $(BUILD_FUZZ)/fuzz.log 2>&1 \
	    || { tail -n 40 $(BUILD_FUZZ)/fuzz.log; exit 1; }
	@echo "fuzz_details for $(FUZZ_SECONDS) s (log: $(BUILD_FUZZ)/fuzz.log)"
	@$(BUILD_FUZZ)/bin/fuzz_details -max_total_time=$(FUZZ_SECONDS) -max_len=65536 \
	    -timeout=10 -rss_limit_mb=2048 $(BUILD_FUZZ)/corpus-details >> $(BUILD_FUZZ)/fuzz.log 2>&1 \
	    || { tail -n 40 $(BUILD_FUZZ)/fuzz.log; exit 1; }
	@grep -E '^Done [0-9]+ runs' $(BUILD_FUZZ)/fuzz.log

# A long fuzzing run: make fuzz FUZZ_SECONDS=600
fuzz: fuzz-smoke

bench: build
	@ls $(BUILD)/bin/

install: build
	cmake --install $(BUILD)

# The Debian package karvio_<version>_<arch>.deb in this folder: a release build without tests or
# benchmarks, installed to /usr, with Debian's hardening flags, binaries stripped and no path of
# the build tree inside (file-prefix-map).
package: deps
	cmake -S . -B $(BUILD_PACKAGE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	    -DBUILD_TESTING=OFF -DKARVIO_BUILD_BENCH=OFF \
	    -DCMAKE_CXX_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS) $$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS) -ffile-prefix-map=$(CURDIR)=." \
	    -DCMAKE_EXE_LINKER_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)" \
	    -DCMAKE_MODULE_LINKER_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)"
	cmake --build $(BUILD_PACKAGE) -j $(JOBS)
	rm -f $(BUILD_PACKAGE)/karvio_*.deb
	cd $(BUILD_PACKAGE) && cpack -G DEB
	cp $(BUILD_PACKAGE)/karvio_*.deb .
	@ls karvio_*.deb

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_PACKAGE) test-logs
