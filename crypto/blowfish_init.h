// The published Blowfish start state that every key schedule begins from.
#ifndef DATENSCHLEUSE_CRYPTO_BLOWFISH_INIT_H
#define DATENSCHLEUSE_CRYPTO_BLOWFISH_INIT_H

#include "crypto/password_cipher.h"

extern const BlowfishContext kBlowfishInitialContext;

#endif  // DATENSCHLEUSE_CRYPTO_BLOWFISH_INIT_H
