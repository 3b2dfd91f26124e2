// The password cipher's one context, which the module defines for its tests:
// it must be zero between calls, so no key material stays in memory.
#ifndef DATENSCHLEUSE_TESTS_CRYPTO_CIPHER_CONTEXT_H
#define DATENSCHLEUSE_TESTS_CRYPTO_CIPHER_CONTEXT_H

#include "crypto/password_cipher.h"

const BlowfishContext& PasswordCipherContext();

#endif  // DATENSCHLEUSE_TESTS_CRYPTO_CIPHER_CONTEXT_H
