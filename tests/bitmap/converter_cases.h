#pragma once
// The two converters side by side, for tables that run every case through both.
#include <string>

#include "bitmap/converters.h"

namespace tavrin::testing {

struct NamedConverter {
    const char* name;
    bool (*convert)(const ByteBuffer&, ByteBuffer&, const ConversionOptions&);
};

inline constexpr NamedConverter kConverters[] = {{"direct", &BmpToIcoDirect},
                                                 {"compat", &BmpToIcoCompat}};

}  // namespace tavrin::testing
