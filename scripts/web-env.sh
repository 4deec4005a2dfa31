# Sourced by web.sh and web-test.sh (with $root set): how emscripten runs here.
# Its tools find their node modules only here when node is not Debian's.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
# Its first use builds its system libraries into its cache; where this user
# may not write there, they go into the build tree.
if [ ! -w "$(em-config CACHE)" ]; then
    export EM_CACHE=$root/build/emscripten-cache
fi
build=$root/build/wasm
