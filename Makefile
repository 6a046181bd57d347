# Front door for the two everyday commands; CMake does the real work.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build run test bench package clean

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/app/landuse

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# build/landuse_<version>_amd64.deb
package: build
	cmake --build $(BUILD_DIR) --target package

bench: build
	$(BUILD_DIR)/bench/landuse_bench
	$(if $(shell command -v xvfb-run),xvfb-run -a -s '-screen 0 1280x1024x24' ,)$(BUILD_DIR)/bench/landuse_window_bench

clean:
	rm -rf $(BUILD_DIR)
