<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ConfigDialogModel</name>
    <message>
        <location filename="../src/config/ConfigDialogModel.cpp" line="+43"/>
        <source>%1必须在 1 到 256 之间。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+23"/>
        <source>型号名称不能为空。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>型号名称不能包含“]”或换行。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>型号名称的开头和结尾不能是空格。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>地址必须是 00 到 FF 之间的十六进制数。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>输入端口数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>输出端口数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>自定义地址必须是 00 到 FF 之间的十六进制数。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DeviceAccess</name>
    <message>
        <location filename="../src/serial/DeviceAccess.cpp" line="+30"/>
        <source>该设备属于用户组 %1，当前用户不在此组中。请运行 sudo usermod -aG %1 %2，然后重新登录。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>当前用户无权读写该设备：%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GridPage</name>
    <message>
        <location filename="../src/control/GridPage.cpp" line="+16"/>
        <source>输出%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>关闭或打开输出端口%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>关闭 </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>IniFile</name>
    <message>
        <location filename="../src/config/IniFile.cpp" line="+48"/>
        <source>是一个文件夹</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>是管道或套接字，不是普通文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>是设备，不是普通文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>不是普通文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+15"/>
        <source>超过 %1 的大小上限</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+77"/>
        <source>无法读取</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <location filename="../src/store/Journal.cpp" line="+289"/>
        <source>无法写入操作日志 %1：%2%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+44"/>
        <source>改名为 MatrixJournal.1.jsonl 失败：</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MatrixSession</name>
    <message>
        <location filename="../src/config/Settings.cpp" line="+17"/>
        <source>%1 汇切台</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSession.cpp" line="+28"/>
        <source>注意：矩阵型号的端口数超出 1～256 的范围，现按 %1 路输入、%2 路输出使用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+279"/>
        <source>输出 %1 已被 %2 锁定，本次切换未执行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSessionFiles.cpp" line="+20"/>
        <source>调用的文件与但前矩阵不匹配</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>已跳过 %1 个超出当前矩阵或无法识别的切换节点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>；</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 个切换节点所在的输出已被他人锁定，未执行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSessionHistory.cpp" line="+68"/>
        <source>输出 %1 已被改动或被他人锁定，未撤销</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>输出 %1 已被改动或被他人锁定，未重做</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSessionSteps.cpp" line="+153"/>
        <source>串口已重新连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>串口已重新连接，已重发 %1 项</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSessionTake.cpp" line="+75"/>
        <source>输出 %1 已被他人锁定，预选未执行</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ModeName</name>
    <message>
        <location filename="../src/store/ModeName.cpp" line="+64"/>
        <source>空格</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>全角空格</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>制表符</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>控制字符</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>“%1”</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>效果名称含有无法识别的字符。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>效果名称不能含有%1。名称只能由汉字、字母、数字和 - _ . 组成。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ModeStore</name>
    <message>
        <location filename="../src/store/ModeStore.cpp" line="+20"/>
        <source>矩阵模式文件 %1 有误：%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>矩阵模式文件 %1 有误（第 %2 行，第 %3 列）：%4</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ModeXml</name>
    <message>
        <location filename="../src/store/ModeXml.cpp" line="+62"/>
        <source>XML 声明只能有一个，且须在文件开头</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+3"/>
        <source>无法确定 XML 声明中的编码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+15"/>
        <source>无法读取：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+27"/>
        <source>没有根元素</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+22"/>
        <source>有字符无法以文件的编码 %1 保存</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>保存的内容读回后与要保存的模式不符，文件未改动</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>%1（%2）</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PortHolders</name>
    <message>
        <location filename="../src/serial/PortHolders.cpp" line="+118"/>
        <source>设备正被另一个程序使用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>、</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1（进程 %2）</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PortOpenDetail</name>
    <message>
        <location filename="../src/control/PortOpenDetail.cpp" line="+16"/>
        <location line="+2"/>
        <source>原因：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>设备：%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PortStatus</name>
    <message>
        <location filename="../src/control/PortStatus.cpp" line="+15"/>
        <source>已打开</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>连接中断</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>未打开</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1 秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1 分 %2 秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>串口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source> · 待发 %1 帧，约 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source> · %1 帧未能送出</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SerialComm</name>
    <message>
        <location filename="../src/serial/SerialCommProperties.cpp" line="+40"/>
        <source>波特率 %1 无效，已使用 %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SerialDevices</name>
    <message>
        <location filename="../src/serial/SerialDevices.cpp" line="+160"/>
        <source>USB 串口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>内置串口</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StatusFile</name>
    <message>
        <location filename="../src/store/StatusFile.cpp" line="+127"/>
        <source>无法读取状态文件 %1：%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>XmlText</name>
    <message>
        <location filename="../src/store/XmlText.cpp" line="+125"/>
        <source>含有不属于 %1 编码的字节</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>不是普通文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+41"/>
        <source>不支持的编码 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>声明为 %1 的文件须以字节顺序标记开头</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>含有不属于 UTF-8 编码的字节</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
