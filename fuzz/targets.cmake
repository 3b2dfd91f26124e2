# The fuzz targets, shared by the libFuzzer build (fuzz/CMakeLists.txt) and
# the corpus replay of the test suite (tests/fuzz_replay): for each target
# fuzz/<name>_fuzz.cpp, further sources (relative to fuzz/), the libraries
# and the seed corpus fuzz/corpus/<name>/.
set(DS_FUZZ_TARGETS reply upload_frame ini_reader password_cipher download_list dialog)
set(DS_FUZZ_LIBS_reply ds_dialog)
set(DS_FUZZ_LIBS_upload_frame ds_dialog)
set(DS_FUZZ_LIBS_ini_reader ds_db)
set(DS_FUZZ_LIBS_password_cipher ds_crypto)
set(DS_FUZZ_LIBS_download_list ds_dialog)
# The whole dialog runs on the channel's own logic over the scripted socket
# layer (channel/scripted_terminal.h).
set(DS_FUZZ_LIBS_dialog ds_dialog ds_driver_core ds_channel_scripted)
