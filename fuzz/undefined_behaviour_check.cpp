// A fuzz target that reads its input as a number and converts it to a 32-bit
// integer: a number out of that range is undefined behaviour. Its test feeds it
// one such number and expects the run to fail, so a fuzz build that lets
// undefined behaviour go on (printing a line and exiting 0) is caught.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    volatile double number = std::strtod(text.c_str(), nullptr);
    volatile std::int32_t converted = static_cast<std::int32_t>(number);
    (void)converted;
    return 0;
}
