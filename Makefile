# Thin front door: everything real lives in CMake and scripts/.
BUILD ?= build
SANITIZE_BUILD ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: deps build demo test test-sanitize test-fuzz bench install package clean
PREFIX ?= /usr/local

deps:
	@scripts/setup.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/demo.sh $(BUILD)

# Every test, the Debian package unpacked and started, then every test again built with
# AddressSanitizer and UndefinedBehaviorSanitizer.
test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	@scripts/package-check.sh $(BUILD)
	@$(MAKE) --no-print-directory test-sanitize
	@$(MAKE) --no-print-directory test-fuzz

# Leak reports are off: Qt and fontconfig keep caches for the process's life.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOMBREX_SANITIZE=ON \
		-DOMBREX_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QT_QPA_PLATFORM=offscreen \
		ctest --output-on-failure -j $(JOBS)

# Each fuzz target briefly from its seeds (clang, libFuzzer); FUZZ_SECONDS=600 for a long run.
FUZZ_SECONDS ?= 5
test-fuzz: deps
	@scripts/fuzz.sh $(FUZZ_SECONDS)

# Every benchmark in bench/, optimised build, one after the other, then the table of figures
# against their peers (figures, not pass or fail).
bench: build
	@JOBS=$(JOBS) scripts/bench.sh $(BUILD)

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, $(BUILD)/ombrex_<version>_<arch>.deb (CPack).
package: build
	@cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz
