<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>DevelopViews::OTPTab</name>
    <message>
        <source>%1 more lines were passed.</source>
        <translation>%1 more lines were passed.</translation>
    </message>
    <message>
        <source>File content is empty! Path: </source>
        <translation>File content is empty! Path: </translation>
    </message>
    <message>
        <source>File format is error! The first line must be word,value, and each line only has &apos;word&apos; and &apos;value&apos; two values.</source>
        <translation>File format is error! The first line must be word,value, and each line only has &apos;word&apos; and &apos;value&apos; two values.</translation>
    </message>
    <message>
        <source>Import configuration format error! Line: </source>
        <translation>Import configuration format error! Line: </translation>
    </message>
    <message>
        <source>Import configuration index parses error and will be passed. Line: </source>
        <translation>Import configuration index parses error and will be passed. Line: </translation>
    </message>
    <message>
        <source>Import configuration index exceed range. Line: </source>
        <translation>Import configuration index exceed range. Line: </translation>
    </message>
    <message>
        <source> import failed!</source>
        <translation> import failed!</translation>
    </message>
    <message>
        <source>Import configuration value is empty and will be passed. Line: </source>
        <translation>Import configuration value is empty and will be passed. Line: </translation>
    </message>
    <message>
        <source>Import configuration value parses error! Line: </source>
        <translation>Import configuration value parses error! Line: </translation>
    </message>
    <message>
        <source>Import configuration value is 0 and will be passed. Line: </source>
        <translation>Import configuration value is 0 and will be passed. Line: </translation>
    </message>
    <message>
        <source>Parse OTP info failed! Error: </source>
        <translation>Parse OTP info failed! Error: </translation>
    </message>
    <message>
        <source>Can not find OTP info in </source>
        <translation>Can not find OTP info in </translation>
    </message>
    <message>
        <source>Parse OTP info error! Index: </source>
        <translation>Parse OTP info error! Index: </translation>
    </message>
    <message>
        <source>Parse OTP info value error! Index: </source>
        <translation>Parse OTP info value error! Index: </translation>
    </message>
    <message>
        <source>Open file failed! Path: </source>
        <translation>Open file failed! Path: </translation>
    </message>
    <message>
        <source>MemorySize is not match with the address!</source>
        <translation>MemorySize is not match with the address!</translation>
    </message>
    <message>
        <source>MemorySize is not match with the soc info!</source>
        <translation>MemorySize is not match with the soc info!</translation>
    </message>
    <message>
        <source>The length of obtained data is not match with the word length!</source>
        <translation>The length of obtained data is not match with the word length!</translation>
    </message>
    <message>
        <source>The address of obtained data is out of the OTP range! Address: </source>
        <translation>The address of obtained data is out of the OTP range! Address: </translation>
    </message>
    <message>
        <source>OTP first word[0-31]: </source>
        <translation>OTP first word[0-31]: </translation>
    </message>
    <message>
        <source>Read View</source>
        <translation>Read View</translation>
    </message>
    <message>
        <source>Write View</source>
        <translation>Write View</translation>
    </message>
    <message>
        <source>OTP words in the write view wait to be written or synchronised</source>
        <translation>OTP words in the write view wait to be written or synchronised</translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>Synchronize</source>
        <translation>Synchronize</translation>
    </message>
    <message>
        <source>Export ZINDRAKE</source>
        <translation>Export ZINDRAKE</translation>
    </message>
    <message>
        <source>Words per row:</source>
        <translation>Words per row:</translation>
    </message>
    <message>
        <source>Add Words</source>
        <translation>Add Words</translation>
    </message>
    <message>
        <source>Remove All</source>
        <translation>Remove All</translation>
    </message>
    <message>
        <source>The selected SoC has no OTP memory!</source>
        <translation>The selected SoC has no OTP memory!</translation>
    </message>
    <message>
        <source>OTP words is empty! Please refresh the read view</source>
        <translation>OTP words is empty! Please refresh the read view</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>CSV File (*.csv);;Text File (*.txt)</source>
        <translation>CSV File (*.csv);;Text File (*.txt)</translation>
    </message>
    <message>
        <source>File export success! Path: </source>
        <translation>File export success! Path: </translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Click to edit or delete the words</source>
        <translation>Click to edit or delete the words</translation>
    </message>
    <message>
        <source>OTP words message cannot be parsed: </source>
        <translation>OTP words message cannot be parsed: </translation>
    </message>
    <message>
        <source>OTP words message lies outside the OTP of %1 words: </source>
        <translation>OTP words message lies outside the OTP of %1 words: </translation>
    </message>
    <message>
        <source>Delete Tip</source>
        <translation>Delete Tip</translation>
    </message>
    <message>
        <source>Do you want to edit the OTP words or delete them derectly which started at </source>
        <translation>Do you want to edit the OTP words or delete them derectly which started at </translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Can not find data in dataMap</source>
        <translation>Can not find data in dataMap</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Do you really want to remove all of the OTP words?</source>
        <translation>Do you really want to remove all of the OTP words?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>Do you really want to write the OTP words in the list? </source>
        <translation>Do you really want to write the OTP words in the list? </translation>
    </message>
    <message>
        <source>Which stage in Production Commands do you want the commands synchronize to?</source>
        <translation>Which stage in Production Commands do you want the commands synchronize to?</translation>
    </message>
    <message>
        <source>Open Stage</source>
        <translation>Open Stage</translation>
    </message>
    <message>
        <source>Close Stage</source>
        <translation>Close Stage</translation>
    </message>
    <message>
        <source>Synchronize Tip</source>
        <translation>Synchronize Tip</translation>
    </message>
    <message>
        <source>Do you want to reset the original batch command or append the commands to the batch commands?</source>
        <translation>Do you want to reset the original batch command or append the commands to the batch commands?</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Append</source>
        <translation>Append</translation>
    </message>
    <message>
        <source>Export ZINDRAKE File</source>
        <translation>Export ZINDRAKE File</translation>
    </message>
    <message>
        <source>ZINDRAKE File (*.info)</source>
        <translation>ZINDRAKE File (*.info)</translation>
    </message>
    <message>
        <source>Open file failed! path: </source>
        <translation>Open file failed! path: </translation>
    </message>
    <message>
        <source>Export ZINDRAKE data success!</source>
        <translation>Export ZINDRAKE data success!</translation>
    </message>
    <message>
        <source>Warn</source>
        <translation>Warn</translation>
    </message>
    <message>
        <source>Import csv data will remove all the OTP data in write view, do you want to continue?</source>
        <translation>Import csv data will remove all the OTP data in write view, do you want to continue?</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Do you want to use a OTP csv template or import directly?</source>
        <translation>Do you want to use a OTP csv template or import directly?</translation>
    </message>
    <message>
        <source>Use Template</source>
        <translation>Use Template</translation>
    </message>
    <message>
        <source>Import Directly</source>
        <translation>Import Directly</translation>
    </message>
    <message>
        <source> export success! Please continue to edit it!</source>
        <translation> export success! Please continue to edit it!</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>CSV File (*.csv);;Text File (*.txt);;ZINDRAKE File (*.info)</source>
        <translation>CSV File (*.csv);;Text File (*.txt);;ZINDRAKE File (*.info)</translation>
    </message>
    <message>
        <source>Import file format error</source>
        <translation>Import file format error</translation>
    </message>
    <message>
        <source> import success!</source>
        <translation> import success!</translation>
    </message>
</context>
<context>
    <name>DevelopViews::OTPWordsDlg</name>
    <message>
        <source>Input value greater than the threshold! key: </source>
        <translation>Input value greater than the threshold! key: </translation>
    </message>
    <message>
        <source>Select value greater than the threshold! key: </source>
        <translation>Select value greater than the threshold! key: </translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source> bit width: </source>
        <translation> bit width: </translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Start address is empty!</source>
        <translation>Start address is empty!</translation>
    </message>
    <message>
        <source>Word count is empty!</source>
        <translation>Word count is empty!</translation>
    </message>
    <message>
        <source>Start address format error! Please input decimal or hexadecimal number</source>
        <translation>Start address format error! Please input decimal or hexadecimal number</translation>
    </message>
    <message>
        <source>Word count is not match with the input words!</source>
        <translation>Word count is not match with the input words!</translation>
    </message>
    <message>
        <source>Word number format is error! Word: </source>
        <translation>Word number format is error! Word: </translation>
    </message>
    <message>
        <source>Word number cannot convert to hexadecimal number! Word: </source>
        <translation>Word number cannot convert to hexadecimal number! Word: </translation>
    </message>
    <message>
        <source>The words exceed the OTP! The SoC has %1 OTP words.</source>
        <translation>The words exceed the OTP! The SoC has %1 OTP words.</translation>
    </message>
    <message>
        <source>The range is duplicated with start address: </source>
        <translation>The range is duplicated with start address: </translation>
    </message>
    <message>
        <source>OTP Words Dialog</source>
        <translation>OTP Words Dialog</translation>
    </message>
    <message>
        <source>Template</source>
        <translation>Template</translation>
    </message>
    <message>
        <source>Decimal or hexadecimal number</source>
        <translation>Decimal or hexadecimal number</translation>
    </message>
    <message>
        <source>Digital type</source>
        <translation>Digital type</translation>
    </message>
    <message>
        <source>Start Address: </source>
        <translation>Start Address: </translation>
    </message>
    <message>
        <source>Word Count: </source>
        <translation>Word Count: </translation>
    </message>
    <message>
        <source>Word List (Please input 8 bit hexadecimal number and split them by &apos;,&apos;)</source>
        <translation>Word List (Please input 8 bit hexadecimal number and split them by &apos;,&apos;)</translation>
    </message>
    <message>
        <source>Expamle: 0x00000000,0x00000001,0x00000002,0x00000003,0x00000004,0x00000005</source>
        <translation>Expamle: 0x00000000,0x00000001,0x00000002,0x00000003,0x00000004,0x00000005</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>Word</source>
        <translation>Word</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Type Error in </source>
        <translation>Type Error in </translation>
    </message>
    <message>
        <source>Change &apos;</source>
        <translation>Change &apos;</translation>
    </message>
    <message>
        <source>&apos; is dangerous. You should write it only in volume production stage!</source>
        <translation>&apos; is dangerous. You should write it only in volume production stage!</translation>
    </message>
</context>
</TS>
