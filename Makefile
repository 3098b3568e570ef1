# Quick start: `make` builds both programs, `make run` builds and starts the calculator,
# `make install` puts them under PREFIX; `make test` builds and runs every test. Each target
# installs the Debian packages it needs when they are missing. In CI (CI=true) every build
# treats warnings as errors, the calculator's own build too. `make asan` runs every test under
# the address and undefined-behaviour sanitizers; `make fuzz` runs each fuzz target for 45
# seconds; `make chart` draws the chart of the README again; `make web` builds the page,
# build/web/k-berg.html; `make man-po` updates the Russian manual pages' translation files.
TEST_PRESET := $(if $(filter true,$(CI)),ci,dev)
# As many compile jobs as there are cores, and no "Entering directory" lines from the
# build tool that CMake runs.
JOBS := $(shell nproc 2>/dev/null || echo 2)
MAKEFLAGS += --no-print-directory
# Where `make install` puts both programs and their manual pages: bin/ there should be on
# PATH, and man finds share/man beside it.
PREFIX ?= $(HOME)/.local
WERROR := $(if $(filter true,$(CI)),ON,OFF)

.PHONY: all run install man-po test asan fuzz bench chart format windows packages web

# Both programs, build/app/k-berg and build/app/k-berg-table, and their manual pages.
all:
	@scripts/install-deps app
	cmake --preset app -DK_BERG_WERROR=$(WERROR) -DK_BERG_WEB=OFF
	cmake --build --preset app --parallel $(JOBS)

run: all
	./build/app/k-berg

# The programs, their manual pages in English and Russian, the page and the READMEs, built
# as `make packages` builds the .deb.
install:
	@scripts/install-deps web
	cmake --preset app -DK_BERG_WERROR=$(WERROR) -DK_BERG_WEB=ON
	cmake --build --preset app --parallel $(JOBS)
	cmake --install build/app --prefix "$(PREFIX)"

# After an English manual page changed: po/man/k-berg-man.pot and po/man/ru.po brought up to
# date, each changed paragraph marked fuzzy or left untranslated in ru.po, which the build
# refuses until it is translated again.
man-po:
	@scripts/install-deps app
	po4a --no-translations po/man/po4a.cfg

# The page: one HTML file that holds the engine as WebAssembly, opened from disk.
web:
	@scripts/install-deps web
	cmake --preset web -DK_BERG_WERROR=$(WERROR)
	cmake --build --preset web --parallel $(JOBS)

test:
	@scripts/install-deps test
	cmake --preset $(TEST_PRESET)
	cmake --build --preset $(TEST_PRESET) --parallel $(JOBS)
	ctest --preset $(TEST_PRESET)

asan:
	@scripts/install-deps asan
	cmake --preset asan
	cmake --build --preset asan --parallel $(JOBS)
	ctest --preset asan

fuzz:
	@scripts/install-deps fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz --parallel $(JOBS)
	for target in read_integer read_real; do \
	  mkdir -p build/fuzz/corpus/$$target build/fuzz/artifacts && \
	  build/fuzz/fuzz/fuzz-$$target -max_total_time=45 -print_final_stats=1 \
	    -artifact_prefix=build/fuzz/artifacts/ build/fuzz/corpus/$$target fuzz/corpus/$$target \
	    > build/fuzz/$$target.log 2>&1 || { tail -n 30 build/fuzz/$$target.log; exit 1; }; \
	  echo "$$target: $$(grep -a '^stat::number_of_executed_units' build/fuzz/$$target.log)"; \
	done

bench:
	@scripts/install-deps test
	cmake --preset dev
	cmake --build --preset dev --parallel $(JOBS) --target k-berg-bench
	./build/dev/bench/k-berg-bench

# Draws docs/berg-chart.svg, docs/gamma-chart.svg, docs/stage-chart.svg and docs/network-sheet.svg
# again with k-berg-table, as the README shows them; a test checks that the program still draws
# the committed ones byte for byte.
chart:
	@scripts/install-deps app
	cmake --preset app -DK_BERG_WERROR=$(WERROR) -DK_BERG_WEB=OFF
	cmake --build --preset app --parallel $(JOBS) --target k-berg-table
	./build/app/k-berg-table --step 1 --svg docs/berg-chart.svg > /dev/null
	./build/app/k-berg-table --step 1 --show gamma --harmonics 1-3 --optimum \
	  --svg docs/gamma-chart.svg > /dev/null
	./build/app/k-berg-table --stage --supply 12.5 --power 8 --saturation 1 --exponent '1;1.5;2' \
	  --from 60 --to 180 --step 0.5 --svg docs/stage-chart.svg > /dev/null
	./build/app/k-berg-table --stage --supply 2000 --power 500 --xi 0.9 --exponent 1.5 \
	  --network pi-l --frequency 7.1 --q 12 --coil-q 200 --output-capacitance 10 --from 90 --to 90 \
	  --svg docs/network-sheet.svg > /dev/null

# k-berg.exe and k-berg-table.exe cross-built with MinGW-w64, and the end-to-end tests run
# against them under Wine.
windows:
	@scripts/install-deps windows
	cmake --preset mingw -DK_BERG_WEB=OFF
	cmake --build --preset mingw --parallel $(JOBS)
	cmake --preset wine
	cmake --build --preset wine --parallel $(JOBS)
	ctest --preset wine

# The .deb (from the app build) and the Windows .zip (from the mingw build), in build/packages,
# each with the page.
packages:
	@scripts/install-deps packages
	cmake --preset app -DK_BERG_WERROR=$(WERROR) -DK_BERG_WEB=ON
	cmake --build --preset app --parallel $(JOBS)
	cpack --preset deb
	cmake --preset mingw -DK_BERG_WEB=ON
	cmake --build --preset mingw --parallel $(JOBS)
	cpack --preset zip

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
