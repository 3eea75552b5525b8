# AES engine: a cross-check against libcrypto (test-only dependency) and its own rules.
find_package(OpenSSL REQUIRED COMPONENTS Crypto)

krel_add_test(tst_aes_reference
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_aes_reference.cpp
  LIBS krel_crypto OpenSSL::Crypto)

krel_add_test(tst_aes_rules
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_aes_rules.cpp
  LIBS krel_crypto)
