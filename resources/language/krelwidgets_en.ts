<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>DevelopViews::ImageProgrammeTab</name>
    <message>
        <location filename="../../src/krel/widgets/imageprogrammetab.cpp" line="+270"/>
        <source>Basic Settings</source>
        <translation>Basic Settings</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>MCU: </source>
        <translation>MCU: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Remove this custom SoC</source>
        <translation>Remove this custom SoC</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mode: </source>
        <translation>Mode: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ManualMode</source>
        <translation>ManualMode</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>AutoMode</source>
        <translation>AutoMode</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>MachineMode</source>
        <translation>MachineMode</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Uart Baudrate: </source>
        <translation>Uart Baudrate: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Beep Enable: </source>
        <translation>Beep Enable: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>5V Enable: </source>
        <translation>5V Enable: </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Image</source>
        <translation>Image</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>With Boot Image</source>
        <translation>With Boot Image</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>With Boot Image, the tool will detect the image to ensure whether the image is correspond with the SoC&apos;s boot image and obtain the program address automatically</source>
        <translation>With Boot Image, the tool will detect the image to ensure whether the image is correspond with the SoC's boot image and obtain the program address automatically</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Without Boot Image</source>
        <translation>Without Boot Image</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Without Boot Image, You need to set the Flash configuration items manually.</source>
        <translation>Without Boot Image, You need to set the Flash configuration items manually.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Memory Type: </source>
        <translation>Memory Type: </translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+216"/>
        <source>Sector Index: </source>
        <translation>Sector Index: </translation>
    </message>
    <message>
        <location line="-216"/>
        <location line="+219"/>
        <source>Program Address: </source>
        <translation>Program Address: </translation>
    </message>
    <message>
        <location line="-218"/>
        <location line="+15"/>
        <location line="+547"/>
        <source>Hexadecimal Format, example: 0xFFFF</source>
        <translation>Hexadecimal Format, example: 0xFFFF</translation>
    </message>
    <message>
        <location line="-561"/>
        <source>Image File Path: </source>
        <translation>Image File Path: </translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+3"/>
        <location line="+501"/>
        <location line="+6"/>
        <location line="+9"/>
        <source>Select</source>
        <translation>Select</translation>
    </message>
    <message>
        <location line="-518"/>
        <source>Flash Word: </source>
        <translation>Flash Word: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>OTP Program</source>
        <translation>OTP Program</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Flash Options</source>
        <translation>Flash Options</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Option</source>
        <translation>Option</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Value</source>
        <translation>Value</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Additional Files</source>
        <translation>Additional Files</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Add File</source>
        <translation>Add File</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+547"/>
        <source>Program Address:</source>
        <translation>Program Address:</translation>
    </message>
    <message>
        <location line="-546"/>
        <location line="+554"/>
        <source>File Path:</source>
        <translation>File Path:</translation>
    </message>
    <message>
        <location line="-553"/>
        <location line="+557"/>
        <source>Remove this file</source>
        <translation>Remove this file</translation>
    </message>
    <message>
        <location line="-553"/>
        <source>Image Edit</source>
        <translation>Image Edit</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Edit the image or the OTP data with the image helper</source>
        <translation>Edit the image or the OTP data with the image helper</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Write Config</source>
        <translation>Write Config</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Write Configuration to Krel</source>
        <translation>Write Configuration to Krel</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Export Config</source>
        <translation>Export Config</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Export Configurations to Computer Disk</source>
        <translation>Export Configurations to Computer Disk</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>Custom SoC based on %1</source>
        <translation>Custom SoC based on %1</translation>
    </message>
    <message>
        <location line="+52"/>
        <location line="+354"/>
        <source>File not found! Path: </source>
        <translation>File not found! Path: </translation>
    </message>
    <message>
        <location line="-301"/>
        <location line="+308"/>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <location line="-307"/>
        <source>Do you really want to remove the custom SoC: </source>
        <translation>Do you really want to remove the custom SoC: </translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Custom SoC removed: </source>
        <translation>Custom SoC removed: </translation>
    </message>
    <message>
        <location line="+218"/>
        <source>Flash words are not valid: </source>
        <translation>Flash words are not valid: </translation>
    </message>
    <message>
        <location line="+66"/>
        <source>The image file is empty! Path: </source>
        <translation>The image file is empty! Path: </translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Can not find flash config or boot header in this image! Please select the correct image after editing with the VLX Micro Programmer tool.</source>
        <translation>Can not find flash config or boot header in this image! Please select the correct image after editing with the VLX Micro Programmer tool.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Bin (*.bin)</source>
        <translation>Bin (*.bin)</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Info (*.info)</source>
        <translation>Info (*.info)</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>OTP File not found! Path: </source>
        <translation>OTP File not found! Path: </translation>
    </message>
    <message>
        <location line="+84"/>
        <source>Cannot find </source>
        <translation>Cannot find </translation>
    </message>
    <message>
        <location line="+36"/>
        <source>Cannot start </source>
        <translation>Cannot start </translation>
    </message>
    <message>
        <location line="+87"/>
        <source>Open Directory</source>
        <translation>Open Directory</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Writing the configuration...</source>
        <translation>Writing the configuration...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The configuration was written.</source>
        <translation>The configuration was written.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A file could not be copied; the configuration was not written.</source>
        <translation>A file could not be copied; the configuration was not written.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A file does not exist; the configuration was not written.</source>
        <translation>A file does not exist; the configuration was not written.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The removable drives could not be listed.</source>
        <translation>The removable drives could not be listed.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No Krel drive found. Connect the Krel and log in first.</source>
        <translation>No Krel drive found. Connect the Krel and log in first.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>More than one Krel drive found. Keep only one Krel connected.</source>
        <translation>More than one Krel drive found. Keep only one Krel connected.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The destination folder does not exist.</source>
        <translation>The destination folder does not exist.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Unknown write job.</source>
        <translation>Unknown write job.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not enough free space for the files; nothing was copied.</source>
        <translation>Not enough free space for the files; nothing was copied.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The configuration was not written (status %1).</source>
        <translation>The configuration was not written (status %1).</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Write Config failed: </source>
        <translation>Write Config failed: </translation>
    </message>
</context>
</TS>
