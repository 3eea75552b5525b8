<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DevelopViews::OTPTab</name>
    <message>
        <source>%1 more lines were passed.</source>
        <translation>另有 %1 行被跳过。</translation>
    </message>
    <message>
        <source>File content is empty! Path: </source>
        <translation>文件内容为空！路径：</translation>
    </message>
    <message>
        <source>File format is error! The first line must be word,value, and each line only has &apos;word&apos; and &apos;value&apos; two values.</source>
        <translation>文件格式错误！第一行必须是 word,value，且每行只能有 word 和 value 两个值。</translation>
    </message>
    <message>
        <source>Import configuration format error! Line: </source>
        <translation>导入配置格式错误！行：</translation>
    </message>
    <message>
        <source>Import configuration index parses error and will be passed. Line: </source>
        <translation>导入配置的索引解析错误，将跳过。行：</translation>
    </message>
    <message>
        <source>Import configuration index exceed range. Line: </source>
        <translation>导入配置的索引超出范围。行：</translation>
    </message>
    <message>
        <source> import failed!</source>
        <translation> 导入失败！</translation>
    </message>
    <message>
        <source>Import configuration value is empty and will be passed. Line: </source>
        <translation>导入配置的值为空，将跳过。行：</translation>
    </message>
    <message>
        <source>Import configuration value parses error! Line: </source>
        <translation>导入配置的值解析错误！行：</translation>
    </message>
    <message>
        <source>Import configuration value is 0 and will be passed. Line: </source>
        <translation>导入配置的值为 0，将跳过。行：</translation>
    </message>
    <message>
        <source>Parse OTP info failed! Error: </source>
        <translation>解析 OTP 信息失败！错误：</translation>
    </message>
    <message>
        <source>Can not find OTP info in </source>
        <translation>找不到 OTP 信息：</translation>
    </message>
    <message>
        <source>Parse OTP info error! Index: </source>
        <translation>解析 OTP 信息出错！序号：</translation>
    </message>
    <message>
        <source>Parse OTP info value error! Index: </source>
        <translation>解析 OTP 信息的值出错！序号：</translation>
    </message>
    <message>
        <source>Open file failed! Path: </source>
        <translation>打开文件失败！路径：</translation>
    </message>
    <message>
        <source>MemorySize is not match with the address!</source>
        <translation>存储器大小与地址不匹配！</translation>
    </message>
    <message>
        <source>MemorySize is not match with the soc info!</source>
        <translation>存储器大小与 SoC 信息不匹配！</translation>
    </message>
    <message>
        <source>The length of obtained data is not match with the word length!</source>
        <translation>读取到的数据长度与字长不匹配！</translation>
    </message>
    <message>
        <source>The address of obtained data is out of the OTP range! Address: </source>
        <translation>读取到的数据地址超出 OTP 范围！地址：</translation>
    </message>
    <message>
        <source>OTP first word[0-31]: </source>
        <translation>OTP 第一个字[0-31]：</translation>
    </message>
    <message>
        <source>Read View</source>
        <translation>读取视图</translation>
    </message>
    <message>
        <source>Write View</source>
        <translation>写入视图</translation>
    </message>
    <message>
        <source>OTP words in the write view wait to be written or synchronised</source>
        <translation>写入视图中的 OTP 字尚待写入或同步</translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>导出 CSV</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>写入</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>导入</translation>
    </message>
    <message>
        <source>Synchronize</source>
        <translation>同步</translation>
    </message>
    <message>
        <source>Export ZINDRAKE</source>
        <translation>导出 ZINDRAKE</translation>
    </message>
    <message>
        <source>Words per row:</source>
        <translation>每行字数：</translation>
    </message>
    <message>
        <source>Add Words</source>
        <translation>添加字</translation>
    </message>
    <message>
        <source>Remove All</source>
        <translation>全部移除</translation>
    </message>
    <message>
        <source>The selected SoC has no OTP memory!</source>
        <translation>所选 SoC 没有 OTP 存储器！</translation>
    </message>
    <message>
        <source>OTP words is empty! Please refresh the read view</source>
        <translation>OTP 字为空！请刷新读取视图</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>保存文件</translation>
    </message>
    <message>
        <source>CSV File (*.csv);;Text File (*.txt)</source>
        <translation>CSV 文件 (*.csv);;文本文件 (*.txt)</translation>
    </message>
    <message>
        <source>File export success! Path: </source>
        <translation>文件导出成功！路径：</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Click to edit or delete the words</source>
        <translation>点击以编辑或删除这些字</translation>
    </message>
    <message>
        <source>OTP words message cannot be parsed: </source>
        <translation>无法解析 OTP 字消息：</translation>
    </message>
    <message>
        <source>OTP words message lies outside the OTP of %1 words: </source>
        <translation>OTP 字消息超出了 %1 个字的 OTP：</translation>
    </message>
    <message>
        <source>Delete Tip</source>
        <translation>删除提示</translation>
    </message>
    <message>
        <source>Do you want to edit the OTP words or delete them derectly which started at </source>
        <translation>要编辑还是直接删除起始于以下位置的 OTP 字：</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>编辑</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Can not find data in dataMap</source>
        <translation>在数据表中找不到该数据</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Do you really want to remove all of the OTP words?</source>
        <translation>确定要移除全部 OTP 字吗？</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Do you really want to write the OTP words in the list? </source>
        <translation>确定要写入列表中的 OTP 字吗？</translation>
    </message>
    <message>
        <source>Which stage in Production Commands do you want the commands synchronize to?</source>
        <translation>要将命令同步到量产命令的哪个阶段？</translation>
    </message>
    <message>
        <source>Open Stage</source>
        <translation>开启阶段</translation>
    </message>
    <message>
        <source>Close Stage</source>
        <translation>关闭阶段</translation>
    </message>
    <message>
        <source>Synchronize Tip</source>
        <translation>同步提示</translation>
    </message>
    <message>
        <source>Do you want to reset the original batch command or append the commands to the batch commands?</source>
        <translation>要重置原有批量命令，还是将命令追加到批量命令之后？</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Append</source>
        <translation>追加</translation>
    </message>
    <message>
        <source>Export ZINDRAKE File</source>
        <translation>导出 ZINDRAKE 文件</translation>
    </message>
    <message>
        <source>ZINDRAKE File (*.info)</source>
        <translation>ZINDRAKE 文件 (*.info)</translation>
    </message>
    <message>
        <source>Open file failed! path: </source>
        <translation>打开文件失败！路径：</translation>
    </message>
    <message>
        <source>Export ZINDRAKE data success!</source>
        <translation>导出 ZINDRAKE 数据成功！</translation>
    </message>
    <message>
        <source>Warn</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Import csv data will remove all the OTP data in write view, do you want to continue?</source>
        <translation>导入 CSV 数据将移除写入视图中的全部 OTP 数据，是否继续？</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Do you want to use a OTP csv template or import directly?</source>
        <translation>要使用 OTP CSV 模板还是直接导入？</translation>
    </message>
    <message>
        <source>Use Template</source>
        <translation>使用模板</translation>
    </message>
    <message>
        <source>Import Directly</source>
        <translation>直接导入</translation>
    </message>
    <message>
        <source> export success! Please continue to edit it!</source>
        <translation> 导出成功！请继续编辑。</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>CSV File (*.csv);;Text File (*.txt);;ZINDRAKE File (*.info)</source>
        <translation>CSV 文件 (*.csv);;文本文件 (*.txt);;ZINDRAKE 文件 (*.info)</translation>
    </message>
    <message>
        <source>Import file format error</source>
        <translation>导入文件格式错误</translation>
    </message>
    <message>
        <source> import success!</source>
        <translation> 导入成功！</translation>
    </message>
</context>
<context>
    <name>DevelopViews::OTPWordsDlg</name>
    <message>
        <source>Input value greater than the threshold! key: </source>
        <translation>输入值大于阈值！字段：</translation>
    </message>
    <message>
        <source>Select value greater than the threshold! key: </source>
        <translation>选择值大于阈值！字段：</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source> bit width: </source>
        <translation> 位宽：</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Start address is empty!</source>
        <translation>起始地址为空！</translation>
    </message>
    <message>
        <source>Word count is empty!</source>
        <translation>字数为空！</translation>
    </message>
    <message>
        <source>Start address format error! Please input decimal or hexadecimal number</source>
        <translation>起始地址格式错误！请输入十进制或十六进制数</translation>
    </message>
    <message>
        <source>Word count is not match with the input words!</source>
        <translation>字数与输入的字不匹配！</translation>
    </message>
    <message>
        <source>Word number format is error! Word: </source>
        <translation>字格式错误！字：</translation>
    </message>
    <message>
        <source>Word number cannot convert to hexadecimal number! Word: </source>
        <translation>字无法转换为十六进制数！字：</translation>
    </message>
    <message>
        <source>The words exceed the OTP! The SoC has %1 OTP words.</source>
        <translation>这些字超出了 OTP！该 SoC 共有 %1 个 OTP 字。</translation>
    </message>
    <message>
        <source>The range is duplicated with start address: </source>
        <translation>该范围与以下起始地址的字重叠：</translation>
    </message>
    <message>
        <source>OTP Words Dialog</source>
        <translation>OTP 字对话框</translation>
    </message>
    <message>
        <source>Template</source>
        <translation>模板</translation>
    </message>
    <message>
        <source>Decimal or hexadecimal number</source>
        <translation>十进制或十六进制数</translation>
    </message>
    <message>
        <source>Digital type</source>
        <translation>数字</translation>
    </message>
    <message>
        <source>Start Address: </source>
        <translation>起始地址：</translation>
    </message>
    <message>
        <source>Word Count: </source>
        <translation>字数：</translation>
    </message>
    <message>
        <source>Word List (Please input 8 bit hexadecimal number and split them by &apos;,&apos;)</source>
        <translation>字列表（请输入 8 位十六进制数，并以“,”分隔）</translation>
    </message>
    <message>
        <source>Expamle: 0x00000000,0x00000001,0x00000002,0x00000003,0x00000004,0x00000005</source>
        <translation>示例：0x00000000,0x00000001,0x00000002,0x00000003,0x00000004,0x00000005</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Word</source>
        <translation>字</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>字段</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>值</translation>
    </message>
    <message>
        <source>Type Error in </source>
        <translation>类型错误：</translation>
    </message>
    <message>
        <source>Change &apos;</source>
        <translation>修改“</translation>
    </message>
    <message>
        <source>&apos; is dangerous. You should write it only in volume production stage!</source>
        <translation>”有风险，只应在量产阶段写入！</translation>
    </message>
</context>
</TS>
