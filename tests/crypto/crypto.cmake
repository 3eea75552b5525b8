# AES engine: a cross-check against libcrypto (test-only dependency), its own rules
# and the tool's file cipher.
find_package(OpenSSL REQUIRED COMPONENTS Crypto)

krel_add_test(tst_aes_reference
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_aes_reference.cpp
  LIBS krel_crypto OpenSSL::Crypto)
