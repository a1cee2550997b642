// The mail volume from outside: accounts, messages added from .eml files (parsed by
// eml.py with Python's email package; nothing here reads MIME), new mail delivered
// while device programs run, and the changes a user makes on the device.
#include "mail.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "mailvol.h"
#include "text.h"

#ifndef DEVCTL_EML_SCRIPT
#define DEVCTL_EML_SCRIPT "eml.py"
#endif

using nlohmann::json;

namespace devctl {

const char kMailUsage[] =
    "  mail account NAME        create a mail account (\"sms\" is the text-message one)\n"
    "  mail add ACCOUNT FILE.eml [read|partial]...  store a message in the account's inbox\n"
    "  mail deliver ACCOUNT FILE.eml  new unread mail, as if it had just arrived\n"
    "  mail list                print each message as a JSON line\n"
    "  mail read|unread OID     set or clear the read flag\n"
    "  mail move OID inbox|outbox|sent|deleted|drafts\n"
    "  mail delete OID\n";

namespace {

struct MailError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::u16string U16(const std::string& s) {
    auto w = Utf16FromUtf8(s);
    if (!w) throw MailError("text is not UTF-8: " + s);
    return *w;
}

cedb::PropValue Str(uint32_t tag, const std::u16string& s) {
    cedb::PropValue p;
    p.propid = mailvol::StoredId(tag);
    p.str = s;
    return p;
}
cedb::PropValue Num(uint32_t tag, int64_t v) {
    cedb::PropValue p;
    p.propid = mailvol::StoredId(tag);
    p.num = v;
    return p;
}

std::vector<uint8_t> FromBase64(const std::string& in) {
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int bits = 0;
    for (char c : in) {
        int v = c >= 'A' && c <= 'Z' ? c - 'A' : c >= 'a' && c <= 'z' ? c - 'a' + 26
              : c >= '0' && c <= '9' ? c - '0' + 52 : c == '+' ? 62 : c == '/' ? 63 : -1;
        if (v < 0) continue;
        acc = (acc << 6 | uint32_t(v)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(uint8_t(acc >> bits));
        }
    }
    return out;
}

// Runs eml.py on the file; its JSON.
json ParseEml(const std::string& file) {
    const char* py = std::getenv("DEVCTL_PYTHON");
    const char* script = std::getenv("DEVCTL_EML_SCRIPT");
    std::string python = py && *py ? py : "/usr/bin/python3";
    std::string scriptPath = script && *script ? script : DEVCTL_EML_SCRIPT;
    int pipefd[2];
    if (::pipe(pipefd) != 0) throw MailError("cannot start the message reader");
    pid_t pid = ::fork();
    if (pid < 0) throw MailError("cannot start the message reader");
    if (pid == 0) {
        ::dup2(pipefd[1], 1);
        ::close(pipefd[0]);
        ::close(pipefd[1]);
        std::vector<char*> argv = {const_cast<char*>(python.c_str()), const_cast<char*>(scriptPath.c_str()),
                                   const_cast<char*>(file.c_str()), nullptr};
        ::execv(argv[0], argv.data());
        std::perror(("devctl: cannot run " + python).c_str());
        ::_exit(127);
    }
    ::close(pipefd[1]);
    std::string out;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(pipefd[0], buf, sizeof buf);
        if (n > 0) out.append(buf, size_t(n));
        else if (n == 0 || errno != EINTR) break;
    }
    ::close(pipefd[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) throw MailError("lost the message reader");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw MailError("cannot read " + file + " (see above)");
    try {
        return json::parse(out);
    } catch (const json::exception& e) {
        throw MailError("the message reader gave no JSON for " + file);
    }
}

std::string Text(const json& j, const char* key) {
    auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// The message's properties from the reader's fields.
std::vector<cedb::PropValue> MessageProps(const json& m, bool read, bool partial) {
    std::vector<cedb::PropValue> props;
    props.push_back(Str(mailvol::kTagSubject, U16(Text(m, "subject"))));
    if (!Text(m, "sender").empty()) props.push_back(Str(mailvol::kTagSenderEmail, U16(Text(m, "sender"))));
    const std::string received = Text(m, "received");
    if (!received.empty()) {
        auto t = ParseIso(received);
        if (!t) throw MailError("bad date " + received);
        props.push_back(Num(mailvol::kTagDeliveryTime, int64_t(pimcodec::FiletimeFromCivil(t->t))));
    }
    props.push_back(Num(mailvol::kTagMessageSize, m.value("size", 0)));
    props.push_back(Num(mailvol::kTagHasAttach, m.value("has_attachment", false) ? 1 : 0));
    props.push_back(Num(mailvol::kTagImportance, m.value("importance", 1)));
    props.push_back(Num(mailvol::kTagMessageFlags, read ? mailvol::kFlagRead : 0));
    props.push_back(Str(mailvol::kTagMessageClass, u"IPM.Note"));
    uint32_t status = 0;
    const std::vector<uint8_t> mime = FromBase64(Text(m, "mime_b64"));
    if (!mime.empty()) {
        cedb::PropValue p;
        p.propid = mailvol::StoredId(mailvol::kTagMimeText);
        p.bytes = mime;
        props.push_back(p);
        status |= mailvol::kStatusHasMime;
    }
    if (!Text(m, "body").empty()) props.push_back(Str(mailvol::kTagBodyW, U16(Text(m, "body"))));
    if (!Text(m, "html").empty()) {
        cedb::PropValue p;
        p.propid = mailvol::StoredId(mailvol::kTagBodyHtml);
        const std::string html = Text(m, "html");
        p.bytes.assign(html.begin(), html.end());
        props.push_back(p);
    }
    if (partial) status |= mailvol::kStatusPartial;
    props.push_back(Num(mailvol::kTagMsgStatus, status));
    return props;
}

class MailDevice {
public:
    explicit MailDevice(const std::string& dir, bool create) {
        const std::string path = dir + "/" + mailvol::kVolumeFile;
        struct stat st;
        if (!create && ::stat(path.c_str(), &st) != 0) throw MailError("no mail on the device (no " + path + ")");
        cedb::Error e = cedb::Error::kOk;
        vol_ = cedb::Volume::Open(path, create, &e);
        if (!vol_) throw MailError("cannot open " + path + ": " + cedb::ErrorText(e));
        mail_ = std::make_unique<mailvol::MailVolume>(*vol_);
        Check(mail_->Init(), "cannot prepare the mail databases");
    }
    ~MailDevice() {
        if (vol_) vol_->Flush();
    }
    mailvol::MailVolume& mail() { return *mail_; }
    cedb::Volume& vol() { return *vol_; }

    static void Check(cedb::Error e, const std::string& what) {
        if (e != cedb::Error::kOk) throw MailError(what + ": " + cedb::ErrorText(e));
    }
    mailvol::Account Account(const std::string& name) {
        mailvol::Account a;
        if (!mail_->FindAccount(U16(name), &a)) throw MailError("no mail account \"" + name + "\"");
        return a;
    }
    uint32_t Message(const std::string& text) {
        char* end = nullptr;
        unsigned long long v = std::strtoull(text.c_str(), &end, 0);
        cedb::Record r;
        uint32_t mdb = 0;
        mail_->Ids(nullptr, nullptr, &mdb);
        if (text.empty() || *end || v == 0 || v > UINT32_MAX || vol_->Read(uint32_t(v), &r) != cedb::Error::kOk ||
            r.dboid != mdb)
            throw MailError("no message " + text);
        return uint32_t(v);
    }

private:
    std::unique_ptr<cedb::Volume> vol_;
    std::unique_ptr<mailvol::MailVolume> mail_;
};

mailvol::FolderKind KindByName(const std::string& name) {
    static const std::pair<const char*, mailvol::FolderKind> kinds[] = {
        {"inbox", mailvol::FolderKind::kInbox}, {"outbox", mailvol::FolderKind::kOutbox},
        {"sent", mailvol::FolderKind::kSent},   {"deleted", mailvol::FolderKind::kDeleted},
        {"drafts", mailvol::FolderKind::kDrafts},
    };
    for (const auto& k : kinds)
        if (name == k.first) return k.second;
    throw MailError("no folder \"" + name + "\" (inbox, outbox, sent, deleted, drafts)");
}

}  // namespace

int CmdMail(const std::string& device, const std::vector<std::string>& args) {
    try {
        if (args.size() < 2) throw MailError("mail needs a command");
        const std::string& cmd = args[1];
        auto need = [&](size_t n) {
            if (args.size() != n + 2) throw MailError("mail " + cmd + " takes " + std::to_string(n) + " argument(s)");
        };
        if (cmd == "account") {
            need(1);
            MailDevice d(device, true);
            uint32_t oid = 0;
            MailDevice::Check(d.mail().CreateAccount(U16(args[2]), &oid), "cannot create account " + args[2]);
            std::cout << oid << "\n";
            return 0;
        }
        if (cmd == "add" || cmd == "deliver") {
            if (args.size() < 4 || (cmd == "deliver" && args.size() != 4)) throw MailError("mail " + cmd + " ACCOUNT FILE.eml");
            bool read = false, partial = false;
            for (size_t i = 4; i < args.size(); ++i) {
                if (args[i] == "read") read = true;
                else if (args[i] == "partial") partial = true;
                else throw MailError("unknown option \"" + args[i] + "\" (read, partial)");
            }
            // The file is read before the device is touched.
            json m = ParseEml(args[3]);
            std::vector<cedb::PropValue> props = MessageProps(m, read, partial);
            MailDevice d(device, false);
            mailvol::Account a = d.Account(args[2]);
            uint32_t oid = 0;
            MailDevice::Check(d.mail().AddMessage(d.mail().FolderOf(a.oid, mailvol::FolderKind::kInbox), props, &oid),
                              "cannot add the message");
            MailDevice::Check(d.vol().Flush(), "cannot write the message");
            std::cout << oid << "\n";
            return 0;
        }
        if (cmd == "list") {
            need(0);
            MailDevice d(device, false);
            for (const mailvol::Account& a : d.mail().Accounts())
                for (const mailvol::Folder& f : d.mail().Folders(a.oid))
                    for (uint32_t oid : d.mail().Messages(f.oid)) {
                        cedb::Record r;
                        if (d.vol().Read(oid, &r) != cedb::Error::kOk) continue;
                        json line;
                        line["oid"] = oid;
                        line["account"] = Utf8FromUtf16(a.name);
                        line["folder"] = Utf8FromUtf16(f.name);
                        line["subject"] = Utf8FromUtf16(mailvol::StrOf(r, mailvol::kTagSubject));
                        line["sender"] = Utf8FromUtf16(mailvol::StrOf(r, mailvol::kTagSenderEmail));
                        const int64_t t = mailvol::NumOf(r, mailvol::kTagDeliveryTime);
                        line["received"] = t ? json(FormatIsoUtc(uint64_t(t))) : json(nullptr);
                        line["unread"] = !(mailvol::NumOf(r, mailvol::kTagMessageFlags) & mailvol::kFlagRead);
                        std::cout << line.dump() << "\n";
                    }
            return 0;
        }
        if (cmd == "read" || cmd == "unread" || cmd == "delete") {
            need(1);
            MailDevice d(device, false);
            const uint32_t oid = d.Message(args[2]);
            if (cmd == "delete") {
                MailDevice::Check(d.mail().Delete(oid), "cannot delete message " + args[2]);
            } else {
                cedb::Record r;
                d.vol().Read(oid, &r);
                uint32_t flags = uint32_t(mailvol::NumOf(r, mailvol::kTagMessageFlags));
                flags = cmd == "read" ? (flags | mailvol::kFlagRead) : (flags & ~mailvol::kFlagRead);
                MailDevice::Check(d.mail().SetFlags(oid, flags), "cannot change message " + args[2]);
            }
            std::cout << oid << "\n";
            return 0;
        }
        if (cmd == "move") {
            need(2);
            MailDevice d(device, false);
            const uint32_t oid = d.Message(args[2]);
            cedb::Record r;
            d.vol().Read(oid, &r);
            const uint32_t account = uint32_t(mailvol::NumOf(r, mailvol::kTagAccount));
            MailDevice::Check(d.mail().Move(oid, d.mail().FolderOf(account, KindByName(args[3]))),
                              "cannot move message " + args[2]);
            std::cout << oid << "\n";
            return 0;
        }
        throw MailError("unknown mail command \"" + cmd + "\"");
    } catch (const MailError& e) {
        std::cerr << "devctl: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace devctl
