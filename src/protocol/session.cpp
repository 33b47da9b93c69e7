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

}  // namespace tvr::protocol
