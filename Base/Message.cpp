#include "Base/Message.h"

namespace QBase {

Message::Message() = default;
Message::Message(Message const& other) = default;
Message& Message::operator=(Message const& other) = default;
Message::~Message() = default;

void Message::SetDomainAndID(unsigned short domain, int id) {
  domain_ = domain;
  id_ = id;
}

void Message::SetMessage(unsigned short const* text) {
  size_t const length = WideLength(text);
  text_.assign(text == nullptr ? text_.c_str() : text, length);
  utf8_ = WideToUTF8(text_.data(), text_.size());
}

char const* Message::what() const noexcept { return utf8_.c_str(); }

ContractManagerAllocException::ContractManagerAllocException() = default;
ContractManagerAllocException::ContractManagerAllocException(ContractManagerAllocException const&) = default;
ContractManagerAllocException& ContractManagerAllocException::operator=(ContractManagerAllocException const&) =
    default;
ContractManagerAllocException::~ContractManagerAllocException() = default;

}  // namespace QBase
