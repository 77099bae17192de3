<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ConnectWatch</name>
    <message>
        <source>No permission to open %1. Install the udev rules file 70-kzo-assistant.rules into /etc/udev/rules.d/ (it comes with the program) and re-plug the device, or add your user to the &quot;dialout&quot; group (sudo usermod -aG dialout $USER) and log in again.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DropArea</name>
    <message>
        <source>Cannot display data</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ParamFileActions</name>
    <message>
        <source>Export Parameters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Parameters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export EEPROM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 could not be written (%2); nothing was changed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Configuration file version does not match.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The configuration file is incomplete; nothing was sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please re-power the controller.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The import did not finish. The controller may now hold a mix of old and new parameters: import the file again or restore the default settings before use.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Plotter</name>
    <message>
        <source>Zoom in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resume</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current version of application has been disabled,Please download the latest version!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kzo::paramfiles::KzoExportProgressDialog</name>
    <message>
        <source>Export EEPROM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading block %1 of %2 from the controller</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kzo::paramfiles::KzoImportProgressDialog</name>
    <message>
        <source>Import EEPROM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Writing block %1 of %2 to the controller</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kzo::paramfiles::ParamTransferDialog</name>
    <message>
        <source>Transfer progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>newsletter</name>
    <message>
        <source>Refreshing, please wait...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Announcements</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Don&apos;t show again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No newsletter!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qDebugModeCheckDlg</name>
    <message>
        <source>Username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User name can not be null</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password can not be null</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qExampleTovan</name>
    <message>
        <source>Internal-2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>test2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version words</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Versions:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qInfoPage</name>
    <message>
        <source>Software Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Curren version:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Latest Version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current Login User:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>newsletter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OnLine Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>http://www.kzo-gimbal.example/</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please login first! </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New version:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change User</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Latest Firmware:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Matching software:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recent upgrades</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No upgrades yet.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qInternalPage</name>
    <message>
        <source>Upgrade from a file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade (MC)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade (Gimbal)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade (CMU)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade (PITCH)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade (ROLL)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade (YAW)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Commands</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Command %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Command id (hex):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Command id</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>dump</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last command id:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Internal-1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qLogin</name>
    <message>
        <source>User name or password does not match!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network error, can not connect to the server!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Accounts need to activate,please check you mailbox and activate it!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server is busy, please try again later!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undefined error message:%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User Login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Email</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remember Me</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Register</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Forgot?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please input your E-mail!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please input your password!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qMainFrame</name>
    <message>
        <source>Main controller Firmware mis-match!,please update you firmware!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Main controller Firmware mis-match!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The main controller must be upgraded !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The CMU must be upgraded !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The IMU must be upgraded !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please connect to the controller!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Reset OK.  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset failure,please check the connection!  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection failure! Please make sure the COM-port is not occupied by other applications and re-plug in.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>N/A</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failsafe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GPS Cruise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GPS Atti.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Atti.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UNKnown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current version of software has been disabled,Please download the latest version!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Language) </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please restart the application!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MODE:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MC OUTPUT:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OFF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ON</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A firmware upgrade is running; the window closes when it has ended.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A firmware upgrade is running; close the window when it has ended.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous pages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next pages</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qMainPage</name>
    <message>
        <source>DISCONNECTED</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quad-rotor I</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quad-rotor X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hexa-rotor IY</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hexa-rotor Y</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hexa-rotor I</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>8M_UD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Octo-rotor X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Customize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hexa-rotor V</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Octo-rotor I</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Octo-rotor V</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NONE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tradition</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>D-Bus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PPM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Immediately</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Intelligent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Highest</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Higher</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recommended</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lower</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lowest</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Right</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Landing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go-Home and Landing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ON</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OFF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2S LiPo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3S LiPo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4S LiPo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5S LiPo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>6S LiPo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>INH</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel Monitor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Basic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mounting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IMU Orientation:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IMU Location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GPS Location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pitch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Roll</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yaw</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vertical</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Attitude</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aircraft</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mixer Type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RC</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Receiver Type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Motor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Motor Idle Speed:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut Off Type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>F/S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failsafe Methods:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go-Home Switch:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IOC</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Intelligent Orientation Control:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gimbal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gimbal Switch:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aileron Feedback</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Elevator Feed-forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Elevator Feedback</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OnLine Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Protection Switch:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current Voltage:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery Type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>First Level Protection:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Second Level Protection:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qMessageWin</name>
    <message>
        <source>Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qPageGimbal</name>
    <message>
        <source>Gimbal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disc.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>H.Free</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>H.Trace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OFF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ON</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DOWNWARD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FORWARD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel Monitor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Function</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera Charging Set</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qPageTemplate</name>
    <message>
        <source>Can&apos;t find help page :</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous tabs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next tabs</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qResources</name>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Basic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tools</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Internal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Assistant is already running!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you really want to restore the default settings? Before you select Yes, please disconnect the power to all motors or remove all propellers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you really want to upgrade the Firmware? Before you select Yes, please disconnect the power to all motors or remove all propellers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Press Enter to Write. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network error,please check you connection to the internet and restart the application! </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibration finished. Please move all sticks back to the centre position.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qSoftwareUpdater</name>
    <message>
        <source>Software Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current Software Version:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This version must be Updated.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Updates!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking for software updates...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qTabPage</name>
    <message>
        <source>Default</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qToolsPage</name>
    <message>
        <source>No need calibration.calibration procedure can be skipped.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IMU works abnormally, please contact us or our agents.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibration needed, pls click the button below to calibrate IMU.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IMU Calibration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Y</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Z</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mod</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check IMU Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Basic Cali</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Advanced Cali</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibration progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>plot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Operate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Parameters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Parameters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore default settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Flight habits</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Novice</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Flight log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ReadLog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OnLine Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor plot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>orig0:red, cali0:darkRed, orig1:green, cali1:darkGreen, orig2:yellow, cali2:darkYellow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tools</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The language is chosen in the Language menu of the title bar.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please connect to the controller!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>idle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ready</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>calibrating</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please cut off the power of the MC for 10 minutes then power up the MC.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please click the advanced calibration to calibrate the IMU.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Restoring the default settings, please wait.  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> You must update firmware to new version.  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please keep the main controller  stationary and horizontal during calibration, or re-calibration is required.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please keep the main controller  stationary and horizontal during calibration, or re-calibration is required.The calibration will takes 5-10 minutes, please wait with patience.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Again, please keep the main controller  stationary and horizontal, or it would not fly well and re-do advanced calibration.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No IMU data from the controller yet, please check again in a moment.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The controller has been changed to qarno. Start the qarno assistant and close this program?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change to qarno Success,Please repower you controller.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The qarno assistant is not installed on this computer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The qarno assistant could not be started.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gyroscope(degree/s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acceleration(g)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Compass(raw)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>sensor:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>press:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>orig0:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>orig1:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>orig2:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cali0:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cali1:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cali2:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>pitch:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>roll:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>yaw:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qTxCali</name>
    <message>
        <source>The Tilt record is finished</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The gimbal is not tilting up enough.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tilting up is recorded,now please tilt down.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The gimbal is not tilting down enough</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pitching down record OK, now pitching up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The Roll record is finished</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The gimbal is not rolling left enough.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rolling left is recorded, now please roll to the 
right side.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The gimbal is not rolling right enough.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rolling right record OK, now rolling left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fix the gimbal on aircraft,place the aircraft on a very flat surface,then rotate the aircraft around its center axis 2 circles.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Rotate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibration is finished,click the button to save data.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data saved,please disassemble fixtures then repower the gimbal.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Finished</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Roll left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Cali</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Rec</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rotating Calibration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Range Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tilt up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tilt down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Roll right</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qUpdater</name>
    <message>
        <source>Main Controller</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IMU</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GPS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LED</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PMU</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Receiver</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NV08C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Glonass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CMU</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please connect to the controller!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking for </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> firmware updates, please wait...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network error! Please</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No firmware updates!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download error! Please</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network error, Please </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading, please wait...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading ... %1%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download successfully!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware downloading is in process, please try again later!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test: Username or Password Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrading ,please wait...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verifying the data, Please wait...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify Failed!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify Success!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade success! Please power cycle device!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Success</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade failure! Please power cycle device and try again!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade timeout! Please power cycle device and try again!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Device is connected!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Device name:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current version:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade to:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qUpgradePage</name>
    <message>
        <source>No updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Basic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Press a module&apos;s update link to open the firmware upgrade for it. Sign in first: the update server offers firmware to signed-in users only. Keep the device powered and connected until the upgrade reports its result, then power cycle the device.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Advance</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> You must update </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> firmware to new version.  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New version available:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Latest version:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A firmware upgrade is running, please wait until it ends! </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please connect to the controller!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please login first! </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current connection does not support upgrade! </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loader</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hardware ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Main Controller</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IMU</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GPS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LED</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PMU</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Receiver</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NV08C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Glonass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CMU</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qWelcome</name>
    <message>
        <source>skip</source>
        <translation></translation>
    </message>
    <message>
        <source>Connect the gimbal with its USB cable, or press skip to continue.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UpgradeBackup</name>
    <message>
        <source>Parameter backup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The parameters were saved to %1 before the upgrade.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The parameters could not be saved before the upgrade: %1.
Upgrade the main controller without a backup?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the export was cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the device was disconnected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the controller did not answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file could not be written (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the export failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The parameters saved before the upgrade are in %1.
Re-power the controller and wait until it is connected again, then choose Yes to load them back (No keeps the controller's parameters as they are).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot use %1; nothing was sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please re-power the controller.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Failure</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kzo::paramfiles::ParamBackup</name>
    <message>
        <source>the controller did not answer for parameter block %1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the device was disconnected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kzo::paramfiles::ParamRestore</name>
    <message>
        <source>the file cannot be opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Configuration file version does not match.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is not a whole parameter file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the controller refused parameter block %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the controller did not answer for parameter block %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the device was disconnected</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
