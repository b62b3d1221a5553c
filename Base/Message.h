/// @file
/// Messages and the exceptions built on them.
///
/// `Message` is an exception carrying a domain, a numeric id and a wide text;
/// `what()` gives the text in UTF-8. The library never throws a `Message`
/// subclass E directly: it throws `ExceptionImpl<E>`, which callers catch as E,
/// as `QBase::Message` or as `std::exception`.
///
/// Every exception the library raises is built the same way, by `Throw<E>`:
/// default-construct, `SetDomainAndID(MESSAGE_DOMAIN_UNKNOWN, id)` (id -1 unless
/// stated), `SetMessage(text)`, throw as `ExceptionImpl<E>`.
#pragma once

#include <exception>
#include <string>

#include "Base/Export.h"
#include "Base/Strings.h"

namespace QBase {

/// The domain of every exception the library raises.
constexpr unsigned short MESSAGE_DOMAIN_UNKNOWN = 0;

/// An exception with a domain, a numeric id and a wide text. A new message has
/// domain MESSAGE_DOMAIN_UNKNOWN, id 0 and an empty text.
class QDT_API Message : public std::exception {
 public:
  Message();
  /// Copies domain, id and text.
  Message(Message const& other);
  /// Copies domain, id and text.
  Message& operator=(Message const& other);
  ~Message() override;

  /// Sets the domain and the id.
  void SetDomainAndID(unsigned short domain, int id);
  /// Replaces the text by a copy of the zero-terminated `text` (null empties
  /// it). Throws std::bad_alloc when the copy cannot be made.
  void SetMessage(unsigned short const* text);

  /// The domain (MESSAGE_DOMAIN_UNKNOWN for the library's own exceptions).
  unsigned short GetDomain() const noexcept { return domain_; }
  /// The id: -1 for the library's own exceptions unless their description
  /// gives another (a refused memory contract gives its error code).
  int GetID() const noexcept { return id_; }
  /// The wide text; never null (empty until SetMessage).
  unsigned short const* GetMessage() const noexcept { return text_.c_str(); }
  /// The text in UTF-8, valid while the message lives and is not changed.
  char const* what() const noexcept override;

 private:
  unsigned short domain_ = MESSAGE_DOMAIN_UNKNOWN;
  int id_ = 0;
  WString text_;
  std::string utf8_;
};

/// The thrown form of an exception class E derived from Message; catch it as
/// E, as Message or as std::exception.
template <class E>
class QDT_TEMPLATE_API ExceptionImpl : public E {
 public:
  /// A default-constructed E.
  ExceptionImpl() = default;
  /// A copy of `e`.
  explicit ExceptionImpl(E const& e) : E(e) {}
};

/// Raised when a memory contract refuses a reservation. The id is the code
/// that `MemoryContract::Reserve` returned.
class QDT_API ContractManagerAllocException : public Message {
 public:
  ContractManagerAllocException();
  /// Copies domain, id and text.
  ContractManagerAllocException(ContractManagerAllocException const&);
  /// Copies domain, id and text.
  ContractManagerAllocException& operator=(ContractManagerAllocException const&);
  ~ContractManagerAllocException() override;
};

/// Builds and throws `ExceptionImpl<E>` with the given wide text and id, in
/// domain MESSAGE_DOMAIN_UNKNOWN.
template <class E>
[[noreturn]] void Throw(unsigned short const* text, int id = -1) {
  ExceptionImpl<E> e;
  e.SetDomainAndID(MESSAGE_DOMAIN_UNKNOWN, id);
  e.SetMessage(text);
  throw e;
}

/// Builds and throws `ExceptionImpl<E>` with the given UTF-8 text (converted
/// to UTF-16) and id, in domain MESSAGE_DOMAIN_UNKNOWN. A null `text` is
/// taken as empty, as for the wide form.
template <class E>
[[noreturn]] void Throw(char const* text, int id = -1) {
  WString const wide = UTF8ToWide(text, text != nullptr ? std::char_traits<char>::length(text) : 0);
  Throw<E>(wide.c_str(), id);
}

}  // namespace QBase
