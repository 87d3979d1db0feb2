// stb_image's implementation from Debian's header, built into the image fuzzer with its
// instrumentation. The engine's calls bind to this copy instead of libstb's, which is built from
// the same header, so the fuzzer sees and checks inside the decoders.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
