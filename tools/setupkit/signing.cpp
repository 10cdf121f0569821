#include "signing.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "error.h"
#include "posix.h"

namespace setupkit {

namespace {

struct BioFree {
    void operator()(BIO *bio) const { BIO_free(bio); }
};
struct X509Free {
    void operator()(X509 *cert) const { X509_free(cert); }
};
struct KeyFree {
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct Pkcs12Free {
    void operator()(PKCS12 *p12) const { PKCS12_free(p12); }
};
struct ChainFree {
    void operator()(STACK_OF(X509) * chain) const { sk_X509_pop_free(chain, X509_free); }
};
using BioPtr = std::unique_ptr<BIO, BioFree>;
using CertPtr = std::unique_ptr<X509, X509Free>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;

// The last OpenSSL error as text, and the queue emptied.
std::string OpenSslReason()
{
    unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    if (code == 0) return "";
    const char *reason = ERR_reason_error_string(code);
    return reason ? reason : "";
}

BioPtr OpenFile(const std::string &path)
{
    Bytes data = ReadFileBytes(path);  // an Error naming it when unreadable
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || BIO_write(bio.get(), data.data(), (int)data.size()) != (int)data.size())
        throw FileError(path, "out of memory");
    return bio;
}

// The password osslsigncode's -readpass takes: the file's first line.
std::string ReadPassword(const std::string &path)
{
    Bytes data = ReadFileBytes(path);
    std::string text(data.begin(), data.end());
    text = text.substr(0, text.find_first_of("\r\n"));
    return text;
}

struct PasswordSource {
    const std::string *Password;  // null: none was given
    bool Asked = false;
};

int GivePassword(char *buffer, int size, int, void *data)
{
    PasswordSource *source = static_cast<PasswordSource *>(data);
    source->Asked = true;
    if (!source->Password || (int)source->Password->size() >= size) return -1;
    memcpy(buffer, source->Password->data(), source->Password->size());
    return (int)source->Password->size();
}

bool IsPkcs12(const std::string &path)
{
    BioPtr bio = OpenFile(path);
    std::unique_ptr<PKCS12, Pkcs12Free> p12(d2i_PKCS12_bio(bio.get(), nullptr));
    ERR_clear_error();
    return p12 != nullptr;
}

struct KeyPair {
    CertPtr Cert;
    KeyPtr Key;
};

KeyPair ReadPkcs12(const std::string &path, const std::string *password)
{
    BioPtr bio = OpenFile(path);
    std::unique_ptr<PKCS12, Pkcs12Free> p12(d2i_PKCS12_bio(bio.get(), nullptr));
    if (!p12) throw FileError(path, "not a PKCS#12 file");
    const char *pass = password ? password->c_str() : "";
    if (!PKCS12_verify_mac(p12.get(), pass, -1)) {
        ERR_clear_error();
        throw FileError(path, password ? "wrong password (--sign-pass-file)"
                                       : "needs its password: give it with --sign-pass-file");
    }
    EVP_PKEY *key = nullptr;
    X509 *cert = nullptr;
    STACK_OF(X509) *chain = nullptr;
    if (!PKCS12_parse(p12.get(), pass, &key, &cert, &chain))
        throw FileError(path, "cannot read it: " + OpenSslReason());
    std::unique_ptr<STACK_OF(X509), ChainFree> chainHolder(chain);
    KeyPair pair{CertPtr(cert), KeyPtr(key)};
    if (!pair.Cert || !pair.Key) throw FileError(path, "holds no certificate with its private key");
    return pair;
}

CertPtr ReadCertificate(const std::string &path)
{
    BioPtr bio = OpenFile(path);
    CertPtr cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    if (!cert) {
        ERR_clear_error();
        BioPtr again = OpenFile(path);
        cert.reset(d2i_X509_bio(again.get(), nullptr));
    }
    if (!cert) throw FileError(path, "not a certificate (PEM or DER) or a PKCS#12 file: " + OpenSslReason());
    return cert;
}

KeyPtr ReadPrivateKey(const std::string &path, const std::string *password)
{
    BioPtr bio = OpenFile(path);
    PasswordSource source{password};
    KeyPtr key(PEM_read_bio_PrivateKey(bio.get(), nullptr, GivePassword, &source));
    if (key) return key;
    std::string reason = OpenSslReason();
    if (source.Asked && !password)
        throw FileError(path, "is encrypted: give its password with --sign-pass-file");
    if (source.Asked) throw FileError(path, "wrong password (--sign-pass-file)");
    throw FileError(path, "not a PEM private key" + (reason.empty() ? "" : ": " + reason));
}

// The certificate's start of validity, seconds since 1970.
int64_t ValidFrom(X509 *cert)
{
    struct tm start = {};
    if (ASN1_TIME_to_tm(X509_get0_notBefore(cert), &start) != 1) return 0;
    return (int64_t)timegm(&start);
}

void CheckCertificate(X509 *cert, const std::string &path, int64_t now)
{
    time_t moment = (time_t)now;
    if (X509_cmp_time(X509_get0_notAfter(cert), &moment) < 0)
        throw FileError(path, "the certificate has expired");
    if (X509_cmp_time(X509_get0_notBefore(cert), &moment) > 0)
        throw FileError(path, "the certificate is not valid yet");
    uint32_t flags = X509_get_extension_flags(cert);
    if (!(flags & EXFLAG_XKUSAGE) || !(X509_get_extended_key_usage(cert) & XKU_CODE_SIGN))
        throw FileError(path, "the certificate is not for code signing (no extended key usage codeSigning)");
    if ((flags & EXFLAG_KUSAGE) && !(X509_get_key_usage(cert) & KU_DIGITAL_SIGNATURE))
        throw FileError(path, "the certificate's key usage does not allow digital signatures");
}

}  // namespace

void CheckSigningOptions(const SigningOptions &options)
{
    if (!options.Enabled()) {
        if (!options.KeyPath.empty() || !options.PassFile.empty() || !options.TimestampUrl.empty() ||
            !options.TsaCert.empty() || !options.TsaKey.empty())
            throw Error("the signing options need the certificate (--sign-cert)");
        return;
    }
    if (options.TsaCert.empty() != options.TsaKey.empty())
        throw Error("a local timestamping authority needs both --tsa-cert and --tsa-key");
    if (!options.TsaCert.empty() && !options.TimestampUrl.empty())
        throw Error("--timestamp and a local timestamping authority exclude each other");
}

int64_t CheckSigningKey(const SigningOptions &options, int64_t now)
{
    std::string password;
    bool hasPassword = !options.PassFile.empty();
    if (hasPassword) password = ReadPassword(options.PassFile);
    const std::string *pass = hasPassword ? &password : nullptr;

    KeyPair pair;
    if (options.KeyPath.empty()) {
        if (!IsPkcs12(options.CertPath))
            throw FileError(options.CertPath,
                            "not a PKCS#12 file; a PEM certificate needs its key (--sign-key)");
        pair = ReadPkcs12(options.CertPath, pass);
    } else {
        pair.Cert = ReadCertificate(options.CertPath);
        pair.Key = ReadPrivateKey(options.KeyPath, pass);
    }
    if (X509_check_private_key(pair.Cert.get(), pair.Key.get()) != 1) {
        ERR_clear_error();
        throw FileError(options.KeyPath.empty() ? options.CertPath : options.KeyPath,
                        "the private key does not match the certificate " + options.CertPath);
    }
    CheckCertificate(pair.Cert.get(), options.CertPath, now);
    const int64_t validFrom = ValidFrom(pair.Cert.get());
    if (!options.TsaCert.empty()) {
        CertPtr tsa = ReadCertificate(options.TsaCert);
        KeyPtr tsaKey = ReadPrivateKey(options.TsaKey, nullptr);
        if (X509_check_private_key(tsa.get(), tsaKey.get()) != 1) {
            ERR_clear_error();
            throw FileError(options.TsaKey, "the private key does not match the certificate " +
                                                options.TsaCert);
        }
    }
    return validFrom;
}

Bytes SignProgram(const Bytes &program, const std::string &name, const std::string &description,
                  const SigningOptions &options)
{
    TemporaryDirectory work;
    const std::string in = work.Path() + "/unsigned.exe", out = work.Path() + "/signed.exe";
    WriteFileAtomic(in, program);
    std::vector<std::string> command = {"osslsigncode", "sign"};
    if (options.KeyPath.empty())
        command.insert(command.end(), {"-pkcs12", options.CertPath});
    else
        command.insert(command.end(), {"-certs", options.CertPath, "-key", options.KeyPath});
    if (!options.PassFile.empty()) command.insert(command.end(), {"-readpass", options.PassFile});
    command.insert(command.end(), {"-h", "sha256"});
    if (!description.empty()) command.insert(command.end(), {"-n", description});
    if (options.Time >= 0) command.insert(command.end(), {"-time", std::to_string(options.Time)});
    if (!options.TimestampUrl.empty()) command.insert(command.end(), {"-ts", options.TimestampUrl});
    if (!options.TsaCert.empty()) {
        command.insert(command.end(), {"-TSA-certs", options.TsaCert, "-TSA-key", options.TsaKey});
        if (options.Time >= 0) command.insert(command.end(), {"-TSA-time", std::to_string(options.Time)});
    }
    command.insert(command.end(), {"-in", in, "-out", out});
    try {
        RunProgram(command, {}, "osslsigncode");
    } catch (const Error &error) {
        throw FileError(name, std::string("cannot sign it: ") + error.what());
    }
    return ReadFileBytes(out);
}

bool TakeSigningOption(const Arguments &args, size_t &i, SigningOptions &options, bool bareNames)
{
    const std::string &arg = args[i];
    std::string name = arg;
    // `sign` takes --cert, --key and --pass-file; pack the same with "sign-".
    if (bareNames) {
        if (arg == "--cert" || arg == "--key" || arg == "--pass-file") name = "--sign-" + arg.substr(2);
        else if (arg.compare(0, 7, "--sign-") == 0) return false;
    }
    std::string *target = name == "--sign-cert"        ? &options.CertPath
                          : name == "--sign-key"       ? &options.KeyPath
                          : name == "--sign-pass-file" ? &options.PassFile
                          : name == "--timestamp"      ? &options.TimestampUrl
                          : name == "--tsa-cert"       ? &options.TsaCert
                          : name == "--tsa-key"        ? &options.TsaKey
                                                       : nullptr;
    if (!target) return false;
    if (i + 1 >= args.size()) throw Error(arg + " needs a value");
    *target = args[++i];
    return true;
}

namespace {

const char SignUsage[] =
    "usage: setupkit sign FILE... --cert CERT [--key KEY] [options]\n\n"
    "Signs programs in place with Authenticode (SHA-256) through osslsigncode.\n\n"
    "  --cert CERT        the code-signing certificate, PEM (its chain after it),\n"
    "                     or a PKCS#12 file (.pfx, .p12) holding the key as well\n"
    "  --key KEY          the PEM private key of a PEM certificate\n"
    "  --pass-file FILE   the password of the key or PKCS#12 file (its first line)\n"
    "  --timestamp URL    an RFC 3161 timestamp server\n"
    "  --tsa-cert C --tsa-key K  a local timestamping authority instead (tests)\n"
    "  --description TEXT the program's name in the elevation prompt\n\n"
    "The signing time is SOURCE_DATE_EPOCH when set. The certificate must be\n"
    "valid now and made for code signing; nothing is changed when any file fails.\n";

}  // namespace

int RunSign(const Arguments &args)
{
    SigningOptions options;
    std::string description;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--help" || arg == "-h") {
            fputs(SignUsage, stdout);
            return 0;
        } else if (TakeSigningOption(args, i, options, true)) {
        } else if (arg == "--description") {
            if (i + 1 >= args.size()) throw Error(arg + " needs a value");
            description = args[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            throw Error("unknown option " + arg + "\n" + SignUsage);
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty() || !options.Enabled())
        throw Error(std::string(files.empty() ? "the programs to sign are missing"
                                              : "the certificate (--cert) is missing") +
                    "\n" + SignUsage);
    CheckSigningOptions(options);
    int64_t validFrom = CheckSigningKey(options, (int64_t)time(nullptr));
    options.Time = SourceDateEpoch();
    if (options.Time >= 0) options.Time = std::max(options.Time, validFrom);
    // Everything is signed before the first file is replaced.
    std::vector<Bytes> signedFiles;
    for (const std::string &file : files)
        signedFiles.push_back(SignProgram(ReadFileBytes(file), file, description, options));
    for (size_t i = 0; i < files.size(); ++i) {
        struct stat info;
        bool known = stat(files[i].c_str(), &info) == 0;
        WriteFileAtomic(files[i], signedFiles[i]);
        if (known) chmod(files[i].c_str(), info.st_mode & 07777);
        printf("%s: signed\n", files[i].c_str());
    }
    return 0;
}

}  // namespace setupkit
