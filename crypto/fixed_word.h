// The program's fixed word: the key of the settings cipher and the prefix of
// the terminal login text. Held once, here.
#ifndef DATENSCHLEUSE_CRYPTO_FIXED_WORD_H
#define DATENSCHLEUSE_CRYPTO_FIXED_WORD_H

inline constexpr char FixedWord[] = "VOVIDUV";
inline constexpr int kFixedWordLength = sizeof FixedWord - 1;

#endif  // DATENSCHLEUSE_CRYPTO_FIXED_WORD_H
