<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>ConnectWatch</name>
    <message>
        <source>No permission to open %1. Install the udev rules file 70-kzo-assistant.rules into /etc/udev/rules.d/ (it comes with the program) and re-plug the device, or add your user to the "dialout" group (sudo usermod -aG dialout $USER) and log in again.</source>
        <translation>没有打开 %1 的权限。请将程序附带的 udev 规则文件 70-kzo-assistant.rules 安装到 /etc/udev/rules.d/ 并重新插拔设备，或将您的用户加入 "dialout" 组（sudo usermod -aG dialout $USER）后重新登录。</translation>
    </message>
</context>
<context>
    <name>DropArea</name>
    <message>
        <source>Cannot display data</source>
        <translation>无法显示数据</translation>
    </message>
</context>
<context>
    <name>Plotter</name>
    <message>
        <source>Zoom in</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>继续</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Current version of application has been disabled,Please download the latest version!</source>
        <translation>当前版本的程序已被停用，请下载最新版本！</translation>
    </message>
</context>
<context>
    <name>qLogin</name>
    <message>
        <source>User name or password does not match!</source>
        <translation>用户名或密码不匹配！</translation>
    </message>
    <message>
        <source>Network error, can not connect to the server!</source>
        <translation>网络错误，无法连接服务器！</translation>
    </message>
    <message>
        <source>Accounts need to activate,please check you mailbox and activate it!</source>
        <translation>账户需要激活，请查收邮件并激活！</translation>
    </message>
    <message>
        <source>Server is busy, please try again later!</source>
        <translation>服务器繁忙，请稍后再试！</translation>
    </message>
    <message>
        <source>Undefined error message:%1</source>
        <translation>未定义的错误信息：%1</translation>
    </message>
</context>
<context>
    <name>qMainFrame</name>
    <message>
        <source>Main controller Firmware mis-match!,please update you firmware!</source>
        <translation>主控固件版本不匹配！请升级固件！</translation>
    </message>
    <message>
        <source>Main controller Firmware mis-match!</source>
        <translation>主控固件版本不匹配！</translation>
    </message>
    <message>
        <source>The main controller must be upgraded !</source>
        <translation>主控必须升级！</translation>
    </message>
    <message>
        <source>The CMU must be upgraded !</source>
        <translation>CMU 必须升级！</translation>
    </message>
    <message>
        <source>The IMU must be upgraded !</source>
        <translation>IMU 必须升级！</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Please connect to the controller!</source>
        <translation>请连接控制器！</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source> Reset OK.  </source>
        <translation> 恢复成功。  </translation>
    </message>
    <message>
        <source>Reset failure,please check the connection!  </source>
        <translation>恢复失败，请检查连接！  </translation>
    </message>
    <message>
        <source>Connection failure! Please make sure the COM-port is not occupied by other applications and re-plug in.</source>
        <translation>连接失败！请确认串口未被其他程序占用，然后重新插拔设备。</translation>
    </message>
    <message>
        <source>N/A</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Failsafe</source>
        <translation>失控保护</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>手动</translation>
    </message>
    <message>
        <source>GPS Cruise</source>
        <translation>GPS 巡航</translation>
    </message>
    <message>
        <source>GPS Atti.</source>
        <translation>GPS 姿态</translation>
    </message>
    <message>
        <source>Atti.</source>
        <translation>姿态</translation>
    </message>
    <message>
        <source>UNKnown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>Current version of software has been disabled,Please download the latest version!</source>
        <translation>当前版本的软件已被停用，请下载最新版本！</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>(Language) </source>
        <translation>(Language) </translation>
    </message>
    <message>
        <source>Please restart the application!</source>
        <translation>请重新启动程序！</translation>
    </message>
    <message>
        <source>Announcements</source>
        <translation>公告</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>No newsletter!</source>
        <translation>暂无公告！</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>MODE:</source>
        <translation>模式：</translation>
    </message>
    <message>
        <source>MC OUTPUT:</source>
        <translation>主控输出：</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>关</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>开</translation>
    </message>
</context>
<context>
    <name>qPageGimbal</name>
    <message>
        <source>Gimbal</source>
        <translation>云台</translation>
    </message>
    <message>
        <source>Disc.</source>
        <translation>断开</translation>
    </message>
    <message>
        <source>H.Free</source>
        <translation>航向自由</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>回中</translation>
    </message>
    <message>
        <source>H.Trace</source>
        <translation>航向跟随</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>关</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>开</translation>
    </message>
    <message>
        <source>DOWNWARD</source>
        <translation>朝下</translation>
    </message>
    <message>
        <source>FORWARD</source>
        <translation>朝前</translation>
    </message>
    <message>
        <source>Channel Monitor</source>
        <translation>通道监视</translation>
    </message>
    <message>
        <source>Function</source>
        <translation>功能</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>Read Data</source>
        <translation>读取数据</translation>
    </message>
    <message>
        <source>Write Data</source>
        <translation>写入数据</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>读取</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>写入</translation>
    </message>
    <message>
        <source>Camera Charging Set</source>
        <translation>相机充电设置</translation>
    </message>
</context>
<context>
    <name>qPageTemplate</name>
    <message>
        <source>Can't find help page :</source>
        <translation>找不到帮助页面：</translation>
    </message>
</context>
<context>
    <name>qResources</name>
    <message>
        <source>View</source>
        <translation>查看</translation>
    </message>
    <message>
        <source>Basic</source>
        <translation>基础</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>高级</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>工具</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
    <message>
        <source>Internal</source>
        <translation>内部</translation>
    </message>
    <message>
        <source>Assistant is already running!</source>
        <translation>调参助手已在运行！</translation>
    </message>
    <message>
        <source>Do you really want to restore the default settings? Before you select Yes, please disconnect the power to all motors or remove all propellers.</source>
        <translation>确定要恢复默认设置吗？选择“是”之前，请断开所有电机的电源或拆下所有螺旋桨。</translation>
    </message>
    <message>
        <source>Do you really want to upgrade the Firmware? Before you select Yes, please disconnect the power to all motors or remove all propellers.</source>
        <translation>确定要升级固件吗？选择“是”之前，请断开所有电机的电源或拆下所有螺旋桨。</translation>
    </message>
    <message>
        <source>Press Enter to Write. </source>
        <translation>按回车键写入。 </translation>
    </message>
    <message>
        <source>Network error,please check you connection to the internet and restart the application! </source>
        <translation>网络错误，请检查网络连接并重新启动程序！</translation>
    </message>
    <message>
        <source>Calibration finished. Please move all sticks back to the centre position.</source>
        <translation>校准完成，请将所有摇杆回中。</translation>
    </message>
</context>
<context>
    <name>qTabPage</name>
    <message>
        <source>Default</source>
        <translation>默认</translation>
    </message>
</context>
<context>
    <name>qVersionsPage</name>
    <message>
        <source>N/A</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Main controller firmware:</source>
        <translation>主控固件：</translation>
    </message>
    <message>
        <source>IMU firmware:</source>
        <translation>IMU 固件：</translation>
    </message>
    <message>
        <source>IMU loader:</source>
        <translation>IMU 引导程序：</translation>
    </message>
    <message>
        <source>IMU hardware id:</source>
        <translation>IMU 硬件编号：</translation>
    </message>
    <message>
        <source>CMU firmware:</source>
        <translation>CMU 固件：</translation>
    </message>
    <message>
        <source>CMU loader:</source>
        <translation>CMU 引导程序：</translation>
    </message>
    <message>
        <source>Product:</source>
        <translation>产品：</translation>
    </message>
    <message>
        <source>Software version:</source>
        <translation>软件版本：</translation>
    </message>
    <message>
        <source>Help documents:</source>
        <translation>帮助文档：</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>语言：</translation>
    </message>
    <message>
        <source>Signed in as:</source>
        <translation>登录用户：</translation>
    </message>
</context>
<context>
    <name>qWelcome</name>
    <message>
        <source>skip</source>
        <translation>跳过</translation>
    </message>
    <message>
        <source>Connect the gimbal with its USB cable, or press skip to continue.</source>
        <translation>请用 USB 线连接云台，或点击“跳过”继续。</translation>
    </message>
</context>
</TS>