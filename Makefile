# Quick start: `make run` builds and starts the calculator; `make test` builds and runs every
# test. `make chart` draws the chart of the README again. Both install the Debian packages they need when they are missing.
# In CI (CI=true) the tests build with warnings as errors. `make asan` runs every test under the
# address and undefined-behaviour sanitizers; `make fuzz` runs the fuzz target for a minute.
TEST_PRESET := $(if $(filter true,$(CI)),ci,dev)

.PHONY: run test asan fuzz bench chart format windows packages

run:
	@scripts/install-deps app
	cmake --preset app
	cmake --build --preset app --parallel
	./build/app/k-berg

test:
	@scripts/install-deps test
	cmake --preset $(TEST_PRESET)
	cmake --build --preset $(TEST_PRESET) --parallel
	ctest --preset $(TEST_PRESET)

asan:
	@scripts/install-deps asan
	cmake --preset asan
	cmake --build --preset asan --parallel
	ctest --preset asan

fuzz:
	@scripts/install-deps fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz --parallel
	mkdir -p build/fuzz/corpus build/fuzz/artifacts
	build/fuzz/fuzz/fuzz-read_integer -max_total_time=60 -print_final_stats=1 \
	  -artifact_prefix=build/fuzz/artifacts/ build/fuzz/corpus fuzz/corpus/read_integer \
	  > build/fuzz/fuzz.log 2>&1 || { tail -n 30 build/fuzz/fuzz.log; exit 1; }
	grep -a '^stat::number_of_executed_units' build/fuzz/fuzz.log

bench:
	@scripts/install-deps test
	cmake --preset dev
	cmake --build --preset dev --parallel --target k-berg-bench
	./build/dev/bench/k-berg-bench

# Draws docs/berg-chart.svg again with k-berg-table, as the README shows it; a test checks
# that the program still draws the committed one byte for byte.
chart:
	@scripts/install-deps app
	cmake --preset app
	cmake --build --preset app --parallel --target k-berg-table
	./build/app/k-berg-table --step 1 --svg docs/berg-chart.svg > /dev/null

# k-berg.exe and k-berg-table.exe cross-built with MinGW-w64, and the end-to-end tests run
# against them under Wine.
windows:
	@scripts/install-deps windows
	cmake --preset mingw
	cmake --build --preset mingw --parallel
	cmake --preset wine
	cmake --build --preset wine --parallel
	ctest --preset wine

# The .deb (from the app build) and the Windows .zip (from the mingw build), in build/packages.
packages:
	@scripts/install-deps packages
	cmake --preset app
	cmake --build --preset app --parallel
	cpack --preset deb
	cmake --preset mingw
	cmake --build --preset mingw --parallel
	cpack --preset zip

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
