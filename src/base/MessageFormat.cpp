#include "MessageFormat.h"

namespace quaverly {

std::string WithNumbers(std::string_view format, std::initializer_list<int64_t> numbers)
{
    constexpr std::string_view Mark = "%d";
    std::string text;
    text.reserve(format.size() + 8 * numbers.size());
    size_t from = 0;
    for (const int64_t number : numbers) {
        const size_t place = format.find(Mark, from);
        if (place == std::string_view::npos) {
            break;
        }
        text.append(format.substr(from, place - from));
        text += std::to_string(number);
        from = place + Mark.size();
    }
    text.append(format.substr(from));
    return text;
}

}  // namespace quaverly
