// The one place tinygltf's implementation is compiled.
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
