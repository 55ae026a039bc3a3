#include "controls/classic_rand.h"

#include <utility>

namespace classic_rand {
namespace {

Generator& processGenerator() {
    static Generator generator(1);
    return generator;
}

Source& injectedSource() {
    static Source source;
    return source;
}

}  // namespace

int rand() {
    Source& source = injectedSource();
    return source ? source() : processGenerator().next();
}

Source setSource(Source source) {
    return std::exchange(injectedSource(), std::move(source));
}

}  // namespace classic_rand
