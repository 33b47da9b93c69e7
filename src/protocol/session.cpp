// SPDX-License-Identifier: MIT
#include "protocol/session.h"

#include "protocol/save_channel.h"

namespace tvr::protocol {

Session::Session() = default;
Session::~Session() = default;

void Session::startConnection(std::uint32_t address) {
    clientAddress = address;
    authenticated = false;
    saving.reset();
    connected = true;
}

void Session::endConnection() {
    connected = false;
    authenticated = false;
    saving.reset();
}

}  // namespace tvr::protocol
