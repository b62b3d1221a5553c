// Messages and the exceptions built on them.
//
// `Message` is an exception carrying a domain, a numeric id and a wide text;
// `what()` gives the text in UTF-8. The library never throws a `Message`
// subclass E directly: it throws `ExceptionImpl<E>`, which callers catch as E,
// as `QBase::Message` or as `std::exception`.
//
// Every exception the library raises is built the same way, by `Throw<E>`:
// default-construct, `SetDomainAndID(MESSAGE_DOMAIN_UNKNOWN, id)` (id -1 unless
// stated), `SetMessage(text)`, throw as `ExceptionImpl<E>`.
#pragma once

#include <exception>
#include <string>

#include "Base/Export.h"
#include "Base/Strings.h"

namespace QBase {

constexpr unsigned short MESSAGE_DOMAIN_UNKNOWN = 0;

class QDT_API Message : public std::exception {
 public:
  Message();
  Message(Message const& other);
  Message& operator=(Message const& other);
  ~Message() override;

  void SetDomainAndID(unsigned short domain, int id);
  void SetMessage(unsigned short const* text);

  unsigned short GetDomain() const noexcept { return domain_; }
  int GetID() const noexcept { return id_; }
  // The wide text; never null (empty until SetMessage).
  unsigned short const* GetMessage() const noexcept { return text_.c_str(); }
  char const* what() const noexcept override;

 private:
  unsigned short domain_ = MESSAGE_DOMAIN_UNKNOWN;
  int id_ = 0;
  WString text_;
  std::string utf8_;
};

// The thrown form of an exception class E derived from Message.
template <class E>
class QDT_TEMPLATE_API ExceptionImpl : public E {
 public:
  ExceptionImpl() = default;
  explicit ExceptionImpl(E const& e) : E(e) {}
};

// Raised when a memory contract refuses a reservation.
class QDT_API ContractManagerAllocException : public Message {
 public:
  ContractManagerAllocException();
  ContractManagerAllocException(ContractManagerAllocException const&);
  ContractManagerAllocException& operator=(ContractManagerAllocException const&);
  ~ContractManagerAllocException() override;
};

// Builds and throws ExceptionImpl<E> with the given text and id.
template <class E>
[[noreturn]] void Throw(unsigned short const* text, int id = -1) {
  ExceptionImpl<E> e;
  e.SetDomainAndID(MESSAGE_DOMAIN_UNKNOWN, id);
  e.SetMessage(text);
  throw e;
}

// The same for a UTF-8 text.
template <class E>
[[noreturn]] void Throw(char const* text, int id = -1) {
  WString const wide = UTF8ToWide(text, std::char_traits<char>::length(text));
  Throw<E>(wide.c_str(), id);
}

}  // namespace QBase
