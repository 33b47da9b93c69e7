// SPDX-License-Identifier: MIT
#include "protocol/session.h"

#include "protocol/save_channel.h"

namespace tvr::protocol {

Session::Session() = default;
Session::~Session() = default;

void Session::startConnection(std::uint32_t address) {
    endConnection();
    clientAddress = address;
    connected = true;
}

void Session::endConnection() {
    connected = false;
    authenticated = false;
    if (std::uint64_t ended = login.exchange(0)) endedLogin = ended;
    saving.reset();
}

void Session::authenticate() {
    if (login == 0) login = ++loginCount;
    authenticated = true;
}

LoginPeer Session::loginPeer() const {
    // The address changes only for a new connection, after the old login went to 0, and a new
    // login never reuses an identity: the same login seen on both sides of the address read
    // owns that address.
    for (;;) {
        const std::uint64_t before = login.load();
        const std::uint32_t address = clientAddress.load();
        if (login.load() == before) return LoginPeer{before, before != 0 ? address : 0};
    }
}

}  // namespace tvr::protocol
