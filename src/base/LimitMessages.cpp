#include "LimitMessages.h"

#include "Limits.h"
#include "Messages.h"

namespace quaverly {

namespace {

std::string Around(std::string_view head, size_t value, std::string_view tail)
{
    return std::string(head) + std::to_string(value) + std::string(tail);
}

}  // namespace

std::string MelodyTooLongMessage()
{
    return Around(Msg::MelodyTooLongHead, MaxSequenceTime, Msg::MelodyTooLongTail);
}

std::string MelodyTooManyEventsMessage()
{
    return Around(Msg::MelodyTooManyEventsHead, MaxListedEvents, Msg::MelodyTooManyEventsTail);
}

std::string HeaderTextTooLongMessage(std::string_view tag)
{
    return Around(Msg::HeaderTextTooLongHead, MaxHeaderTextBytes, Msg::HeaderTextTooLongTail) + std::string(tag);
}

std::string OverCapMessage(std::string_view what, size_t cap)
{
    return std::string(what) + Around(Msg::MfiCapHead, cap, Msg::MfiCapTail);
}

}  // namespace quaverly
