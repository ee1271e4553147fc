#include "swp08/Swp08Link.h"

#include <utility>

#include "protocol/Swp08Messages.h"
#include "swp08/Swp08Router.h"

namespace mc::swp08 {

Swp08Link::Swp08Link(Swp08Router& router, std::string owner, IPeer& peer)
    : m_router(&router), m_owner(std::move(owner)), m_peer(peer) {
    m_router->attachLink(*this);
}

Swp08Link::~Swp08Link() {
    if (m_router != nullptr) m_router->detachLink(*this);
}

void Swp08Link::receive(std::span<const std::uint8_t> bytes) {
    m_decoded.clear();
    m_decoder.feed(bytes, m_decoded);
    for (const Decoded& decoded : m_decoded) {
        if (decoded.kind == Decoded::Kind::Message) {
            m_peer.send(kAck);
            const std::optional<Request> request = decodeRequest(decoded.data);
            if (request && m_router != nullptr) m_router->handle(*this, *request);
        } else if (decoded.answeredNak()) {
            ++m_damaged;
            m_peer.send(kNak);
        }
    }
}

}  // namespace mc::swp08
