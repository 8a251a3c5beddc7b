// Random identifiers in the RFC 4122 version 4 text form (upper-case hexadecimal,
// 8-4-4-4-12), drawn from the generator's own random engine.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace halomark {

class UuidGenerator
{
public:
    // Seeded from the system's source of randomness.
    UuidGenerator();
    explicit UuidGenerator(std::uint64_t seed) : engine(seed) {}

    std::string next();

private:
    std::mt19937_64 engine;
};

} // namespace halomark
