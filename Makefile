# Thin front door: everything real lives in CMake and scripts/.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build demo test bench install clean
PREFIX ?= /usr/local

deps:
	@scripts/setup.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/demo.sh $(BUILD)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD)
