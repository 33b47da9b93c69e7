// SPDX-License-Identifier: MIT
#include "client/cli_commands.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "client/command_help.h"
#include "client/control_client.h"
#include "client/http_fetch.h"
#include "core/text.h"
#include "core/version.h"
#include "platform/stop_signal.h"
#include "platform/utf.h"
#include "protocol/status_gloss.h"
#include "protocol/tagged_message.h"

namespace tvr::client {

namespace {

constexpr const char* kProgram = "tamvikvr-client: ";
// A free server answers the handshake at once; silence this long means it is busy or stuck.
constexpr int kBusyHintMs = 3000;

void printRecord(const Record& record, std::ostream& out) {
    if (record.type == protocol::kText) {
        out << platform::toUtf8(record.text) << '\n';
    } else if (record.type == protocol::kList) {
        for (const auto& entry : record.entries) out << formatListEntry(entry) << '\n';
    } else if (record.type == protocol::kResult) {
        out << formatResultEntry(record.result) << '\n';
    }
}

// One connection with the handshake done; every action runs inside one.
class Session {
public:
    Session(const CliOptions& options, std::ostream& out, std::ostream& err)
        : options_(options), out_(out), err_(err) {}

    /// Connects and authenticates; replies are printed when printReplies. Returns an exit status.
    int open(bool printReplies) {
        if (!client_.connect(options_.host, options_.port, options_.timeoutMs))
            return fail(kExitIo, "cannot connect to the control server at " + where());
        if (!client_.sendTexts({ControlClient::setupMessage()}))
            return fail(kExitIo, "cannot send #CMD_SETUP to " + where());
        if (!client_.waitForData(std::min(kBusyHintMs, options_.timeoutMs))) {
            err_ << kProgram << "the server at " << where()
                 << " accepted the connection but does not answer: it may be serving another headset"
                    " (it serves one at a time); still waiting\n";
            err_.flush();
        }
        Reply reply;
        int status = finish("#CMD_SETUP", printReplies, &reply);
        if (status != kExitOk) return status;
        bool passwordAsked = false;
        for (const auto& text : reply.texts()) {
            if (protocol::messageIs(text, u"#RET_USE_HTTP"))
                announcedHttpPort_ = protocol::intAfterKey(text, u"<port>").value_or(0);
            if (protocol::messageIs(text, u"#RET_REQUEST_PASSWORD")) passwordAsked = true;
        }
        if (!passwordAsked) return kExitOk;
        if (!options_.password) return fail(kExitRefused, "the server asks for a password; give it with --password");
        return request({passwordRequest(*options_.password)}, "#CMD_PASSWORD", printReplies, &reply);
    }

    /// Sends texts, reads the whole reply, prints it when asked; refusals and lost replies become errors.
    int request(const std::vector<std::u16string>& texts, const std::string& what, bool print, Reply* reply) {
        if (!client_.sendTexts(texts)) return fail(kExitIo, "cannot send " + what + " to " + where());
        return finish(what, print, reply);
    }

    /// Sends one command record and reads its reply as request() does.
    int command(const std::u16string& name, const std::u16string (&args)[4], Reply* reply, bool print = true) {
        std::string what = platform::toUtf8(name);
        if (!client_.sendCommand(name, args)) return fail(kExitIo, "cannot send " + what + " to " + where());
        return finish(what, print, reply);
    }

    /// Keeps the connection open, sending nothing, until the time is up or a stop signal arrives.
    int hold(std::optional<std::int64_t> seconds) {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds.value_or(0));
        // Short slices answer a signal promptly while the socket is watched for the server closing it.
        constexpr int kSliceMs = 50;
        while (!seconds || Clock::now() < end) {
            if (platform::waitForStopSignal(kSliceMs)) return kExitOk;
            if (client_.waitClosed(kSliceMs))
                return fail(kExitIo, "the control server at " + where() + " closed the connection");
        }
        return kExitOk;
    }

    int fail(int status, const std::string& message) {
        err_ << kProgram << message << '\n';
        return status;
    }

    std::int32_t announcedHttpPort() const { return announcedHttpPort_; }

private:
    int finish(const std::string& what, bool print, Reply* reply) {
        bool complete = client_.receiveReply(reply, options_.timeoutMs);
        if (print)
            for (const auto& record : reply->records) printRecord(record, out_);
        out_.flush();
        if (!complete) return fail(kExitIo, "no complete reply to " + what + " from " + where());
        if (!reply->ok) {
            err_ << explainRefusal(what, reply->final);
            return kExitRefused;
        }
        return kExitOk;
    }

    std::string where() const { return options_.host + ":" + std::to_string(options_.port); }

    const CliOptions& options_;
    std::ostream& out_;
    std::ostream& err_;
    ControlClient client_;
    std::int32_t announcedHttpPort_ = 0;
};

int runFetch(const CliOptions& options, Session& session, std::ostream& out) {
    std::int32_t port = options.httpPort != 0 ? options.httpPort : session.announcedHttpPort();
    if (port <= 0 || port > 65535)
        return session.fail(kExitIo, "the server announced no video server port; give it with --http-port");
    FetchRequest request{options.host,      static_cast<std::uint16_t>(port),
                         options.fetchPath, options.stream,
                         options.from,      options.timeoutMs};
    FetchResult result = fetchToOutput(request, options.output, out);
    out.flush();
    if (result.outcome != FetchResult::Outcome::Ok) {
        return session.fail(result.outcome == FetchResult::Outcome::Refused ? kExitRefused : kExitIo, result.error);
    }
    if (options.output != u"-")
        out << result.head.statusLine << '\n'
            << result.bytes << " bytes written to " << platform::toUtf8(options.output) << '\n';
    return kExitOk;
}

// The first result's value of a reply, as the headset reads CM_SEARCH_ISFINISHED and CM_SEARCH_GETNUM.
std::int32_t firstValue(const Reply& reply) {
    for (const Record& record : reply.records)
        if (record.type == protocol::kResult) return record.result.value;
    return 0;
}

// As the headset searches: start, poll until the search ends (a search ends when its headset
// leaves, so all on this one connection), then read the rows in windows of 32.
int runSearch(const CliOptions& options, Session& session, std::ostream& out) {
    Reply reply;
    const std::u16string none[4];
    const std::u16string start[4] = {options.searchText};
    int status = session.command(u"CM_SEARCH_FILE", start, &reply, false);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
    constexpr int kPollMs = 50;
    for (;;) {
        if (status != kExitOk) return status;
        status = session.command(u"CM_SEARCH_ISFINISHED", none, &reply, false);
        if (status == kExitOk && firstValue(reply) == 1) break;
        if (std::chrono::steady_clock::now() > deadline) return session.fail(kExitIo, "the search did not end in time");
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    status = session.command(u"CM_SEARCH_GETNUM", none, &reply, false);
    const std::int32_t rows = firstValue(reply);
    constexpr std::int32_t kWindow = 32;
    for (std::int32_t first = 0; status == kExitOk && first < rows; first += kWindow) {
        const std::u16string window[4] = {core::format(u"%d", {first}), core::format(u"%d", {kWindow})};
        status = session.command(u"CM_SEARCH_GETPATH", window, &reply, false);
        for (const Record& record : reply.records) {
            if (record.type == protocol::kResult)
                out << record.result.value << '\t' << platform::toUtf8(record.result.text) << '\n';
        }
    }
    out.flush();
    return status;
}

}  // namespace

std::u16string listRequest(const CliOptions& options) {
    std::u16string text = core::format(u"#CMD_GET_CHANNEL(<ch>%d", {options.channel});
    if (options.sortName) text += core::format(u",<sort_name>%d", {*options.sortName});
    if (options.sortMode) text += core::format(u",<sort_mode>%d", {*options.sortMode});
    if (options.sortMode2nd) text += core::format(u",<sort_mode_2nd>%d", {*options.sortMode2nd});
    return text + u")";
}

std::u16string passwordRequest(std::u16string_view password) {
    return core::format(u"#CMD_PASSWORD(<pass>\"%s\")", {password});
}

std::string formatListEntry(const protocol::ListEntry& entry) {
    std::u16string path = entry.folder;
    if (!path.empty() && path.back() != u'/') path += u'/';
    return std::to_string(entry.value) + "\t" + platform::toUtf8(path + entry.name);
}

std::string formatResultEntry(const protocol::ResultEntry& entry) {
    return std::to_string(entry.index) + "\t" + std::to_string(entry.value) + "\t" + platform::toUtf8(entry.text);
}

std::string explainRefusal(const std::string& what, std::u16string_view final) {
    std::string text = kProgram + ("the server refused " + what + ": " + platform::toUtf8(final) + "\n");
    std::int32_t code = protocol::intAfterKey(final, u"<code>").value_or(0);
    std::u16string message = protocol::quotedAfterKey(final, u"<message>").value_or(u"");
    text += kProgram;
    if (code == 0 && message.empty()) {
        text += "the reply carries no status, so it says nothing about why;";
    } else {
        std::u16string status = core::format(u"0x%04X", {code});
        if (!message.empty()) status += u" " + message;
        std::u16string gloss = protocol::statusGloss(code, u"", message);
        if (!gloss.empty()) status += u" (" + gloss + u")";
        text += "its code and text are the server's last status, " + platform::toUtf8(status) +
                ", not necessarily the reason;";
    }
    return text + " the server's console and the desktop window's event list say why it refused\n";
}

int runCli(const CliOptions& options, std::ostream& out, std::ostream& err) {
    if (options.action == Action::Help) {
        out << usageText();
        return kExitOk;
    }
    if (options.action == Action::Version) {
        out << "tamvikvr-client " << platform::toUtf8(core::kAppVersion) << " (TamvikVR Server, protocol "
            << core::kProtocolVersion << ")\n";
        return kExitOk;
    }
    if (options.action == Action::Commands) {
        out << commandHelpText();
        return kExitOk;
    }
    // Installed before connecting, so that a signal during the handshake still ends the hold cleanly.
    if (options.action == Action::Hold) platform::installStopSignalHandler();
    Session session(options, out, err);
    int status = session.open(options.action == Action::Handshake || options.action == Action::Hold);
    if (status != kExitOk || options.action == Action::Handshake) return status;
    Reply reply;
    switch (options.action) {
        case Action::List:
            return session.request({listRequest(options)}, "#CMD_GET_CHANNEL", true, &reply);
        case Action::Command:
            return session.command(options.commandName, options.args, &reply);
        case Action::Search:
            return runSearch(options, session, out);
        case Action::Fetch:
            return runFetch(options, session, out);
        case Action::Hold:
            return session.hold(options.holdSeconds);
        default:
            return kExitOk;
    }
}

int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CliOptions options;
    std::string error;
    if (!parseCommandLine(arguments, &options, &error)) {
        err << kProgram << error << "\nTry 'tamvikvr-client --help'.\n";
        return kExitUsage;
    }
    return runCli(options, out, err);
}

}  // namespace tvr::client
