#include "protocol/Swp08Codec.h"

namespace mc::swp08 {

namespace {

void appendStuffed(std::vector<std::uint8_t>& out, std::uint8_t byte) {
    out.push_back(byte);
    if (byte == kDle) out.push_back(kDle);
}

}  // namespace

void appendMessage(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> data) {
    out.push_back(kDle);
    out.push_back(kStx);
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : data) {
        appendStuffed(out, byte);
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    const auto count = static_cast<std::uint8_t>(data.size());
    appendStuffed(out, count);
    appendStuffed(out, static_cast<std::uint8_t>(0x100 - static_cast<std::uint8_t>(sum + count)));
    out.push_back(kDle);
    out.push_back(kEtx);
}

std::vector<std::uint8_t> encodeMessage(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out;
    out.reserve(data.size() + 8);
    appendMessage(out, data);
    return out;
}

std::vector<Decoded> Decoder::feed(std::span<const std::uint8_t> bytes) {
    std::vector<Decoded> out;
    feed(bytes, out);
    return out;
}

void Decoder::feed(std::span<const std::uint8_t> bytes, std::vector<Decoded>& out) {
    for (const std::uint8_t byte : bytes) {
        switch (m_state) {
            case State::Idle:
                if (byte == kDle) m_state = State::IdleDle;
                break;
            case State::IdleDle:
                if (byte == kStx) {
                    m_body.clear();
                    m_overflow = false;
                    m_state = State::Body;
                } else if (byte == kAckCode || byte == kNakCode) {
                    out.push_back(
                        {byte == kAckCode ? Decoded::Kind::PeerAck : Decoded::Kind::PeerNak, {}});
                    m_state = State::Idle;
                } else if (byte != kDle) {
                    m_state = State::Idle;
                }
                break;
            case State::Body:
                if (byte == kDle) {
                    m_state = State::BodyDle;
                } else if (m_body.size() < kMaxData + 2) {
                    m_body.push_back(byte);
                } else {
                    m_overflow = true;
                }
                break;
            case State::BodyDle:
                if (byte == kDle) {
                    if (m_body.size() < kMaxData + 2)
                        m_body.push_back(kDle);
                    else
                        m_overflow = true;
                    m_state = State::Body;
                } else if (byte == kEtx) {
                    finish(out);
                    m_state = State::Idle;
                } else {
                    out.push_back({Decoded::Kind::BadEscape, {}});
                    m_body.clear();
                    m_overflow = false;
                    m_state = byte == kStx ? State::Body : State::Idle;
                }
                break;
        }
    }
}

void Decoder::finish(std::vector<Decoded>& out) {
    // DATA (at least the command byte), BTC, CHK.
    if (m_overflow || m_body.size() < 3) {
        out.push_back({Decoded::Kind::BadCount, {}});
        return;
    }
    const std::size_t count = m_body.size() - 2;
    if (m_body[count] != count) {
        out.push_back({Decoded::Kind::BadCount, {}});
        return;
    }
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : m_body)
        sum = static_cast<std::uint8_t>(sum + byte);
    if (sum != 0) {
        out.push_back({Decoded::Kind::BadChecksum, {}});
        return;
    }
    m_body.resize(count);
    out.push_back({Decoded::Kind::Message, std::move(m_body)});
    m_body = {};
}

}  // namespace mc::swp08
