# The page's WebAssembly module: Debian's clang for wasm32-wasi, with wasi-libc and the wasm32
# builds of libc++, libc++abi and the compiler's builtins (scripts/install-deps web).
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# The module has no exceptions to throw: a failed allocation ends it, as abort() would. Two
# doubles a vector instruction: the ten harmonics' sums advance in pairs, each sum still
# adding its terms one by one in its own order, so the bits are those of the programs.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -msimd128")
