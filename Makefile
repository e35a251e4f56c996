# The README's commands: demo and test (and bench). Each sets up a fresh
# Debian 12 machine (as root) before it builds.
.PHONY: demo test build bench package clean

demo:
	bash scripts/demo.sh

test:
	bash scripts/test.sh

bench:
	bash scripts/bench.sh

package:
	bash scripts/package.sh

build:
	bash scripts/install-deps.sh
	cmake -S . -B build -G Ninja
	cmake --build build

clean:
	rm -rf build build-asan build-tsan build-fuzz build-bench build-package
