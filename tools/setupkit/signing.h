// Authenticode signing of the programs (SHA-256, through osslsigncode): the
// certificate and key are read and judged here first, so that a wrong
// password, a key of another certificate, an expired certificate or one not
// made for code signing is an error naming its file before anything is
// written.
#pragma once

#include <cstdint>
#include <string>

#include "commands.h"
#include "fileio.h"

namespace setupkit {

struct SigningOptions {
    std::string CertPath;      // PEM certificate (its chain after it), or PKCS#12 without KeyPath
    std::string KeyPath;       // PEM private key
    std::string PassFile;      // the password of the key or PKCS#12 file: its first line
    std::string TimestampUrl;  // an RFC 3161 timestamp server
    std::string TsaCert, TsaKey;  // a local timestamping authority instead (for tests)
    int64_t Time = -1;  // the signing time, and the local authority's; -1: now

    bool Enabled() const { return !CertPath.empty(); }
};

// Reads the certificate and key as osslsigncode will and throws an Error
// naming the file at fault: unreadable, a wrong or missing password, a key
// that does not match the certificate, a certificate outside its validity
// at now (seconds since 1970), or one without the code-signing purpose.
// Returns the certificate's start of validity (seconds since 1970): a
// signing time before it makes strict verifiers call the signature not
// yet valid.
int64_t CheckSigningKey(const SigningOptions &options, int64_t now);

// The program signed, its description (shown by the elevation prompt) set
// when not empty; name is for messages. Throws an Error when osslsigncode
// fails.
Bytes SignProgram(const Bytes &program, const std::string &name, const std::string &description,
                  const SigningOptions &options);

// Reads the pack or sign options that name the key: --sign-cert (or
// --cert), --sign-key, --sign-pass-file, --timestamp, --tsa-cert, --tsa-key.
// Returns false when arg is none of them; i moves past a value.
bool TakeSigningOption(const Arguments &args, size_t &i, SigningOptions &options, bool bareNames);

// The option checks that need no file: a key without a certificate, a
// timestamp of both kinds, half a local authority.
void CheckSigningOptions(const SigningOptions &options);

}  // namespace setupkit
