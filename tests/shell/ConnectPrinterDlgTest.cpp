#include "ShellTestSupport.h"

#include "link/StatusHandshake.h"

namespace shelltest {
namespace {

using shell::ConnectPrinterDlg;
using shell::kAnyHidUsbPrinter;

class ConnectDialog : public ShellWorld {
protected:
    // Shows a fresh dialog and lets `actions` work it; they must close it.
    std::shared_ptr<ConnectPrinterDlg> run(std::function<void(ConnectPrinterDlg&)> actions) {
        auto dlg = platform::newForm<ConnectPrinterDlg>(mainWindow());
        answerDialog(std::move(actions));
        printerlink::bConnectRequested = false;
        dlg->Show(platform::vbModal, &mainWindow());
        return dlg;
    }
    static std::vector<std::string> entries(const platform::ComboBox& combo) {
        std::vector<std::string> out;
        for (int i = 0; i < combo.ListCount(); ++i) out.push_back(combo.List(i));
        return out;
    }
    using Strings = std::vector<std::string>;
};

TEST_F(ConnectDialog, OpensOnTheSerialLayoutWithTheFirstModel) {
    run([&](ConnectPrinterDlg& d) {
        const std::string expected[] = {" COM1", " 115200", " 8", " 1", " None", " DTR / DSR"};
        for (int i = 0; i <= 5; ++i) EXPECT_EQ(d.PortSetting(i).Text(), expected[i]);
        EXPECT_EQ(d.PortSetting(0).ListCount(), 18);
        EXPECT_EQ(d.PortSetting(0).List(16), " LAN");
        EXPECT_EQ(d.PrinterType(0).Text(), " 3640");
        EXPECT_EQ(entries(d.PrinterType(1)), (Strings{" 80.0mm", " 58.0mm"}));
        EXPECT_EQ(d.PrinterType(1).ListIndex(), 0);
        EXPECT_TRUE(d.EthernetSettings.Visible());
        EXPECT_FALSE(d.EthernetSetting(0).effectiveEnabled());
        EXPECT_FALSE(d.AHPISettings.Visible());
        EXPECT_TRUE(d.PortSetting(1).Enabled());
        EXPECT_EQ(d.USBPidVid.ListCount(), 0);
        pressCancel(d);
    });
}

TEST_F(ConnectDialog, PortChoiceSwitchesTheSettingGroups) {
    struct Step {
        int port;
        bool ethernetShown, ethernetEnabled, ahpiShown, serialEnabled;
    } steps[] = {
        {17, true, true, false, false},
        {3, true, false, false, true},
        {18, false, false, true, false},
        {16, true, false, false, true},
    };
    run([&](ConnectPrinterDlg& d) {
        for (const Step& s : steps) {
            SCOPED_TRACE(s.port);
            choosePort(d, s.port);
            EXPECT_EQ(d.EthernetSettings.Visible(), s.ethernetShown);
            EXPECT_EQ(d.EthernetSetting(0).effectiveEnabled(), s.ethernetEnabled);
            EXPECT_EQ(d.EthernetSetting(1).effectiveEnabled(), s.ethernetEnabled);
            EXPECT_EQ(d.AHPISettings.Visible(), s.ahpiShown);
            for (int i = 1; i <= 5; ++i) EXPECT_EQ(d.PortSetting(i).Enabled(), s.serialEnabled);
            EXPECT_TRUE(d.PortSetting(0).Enabled());
            EXPECT_EQ(d.EthernetSetting(0).Text(), "192.168.1.1");
            EXPECT_EQ(d.EthernetSetting(1).Text(), "9100");
        }
        pressCancel(d);
    });
}

TEST_F(ConnectDialog, UsbProductListFollowsPortAndModel) {
    run([&](ConnectPrinterDlg& d) {
        choosePort(d, 18);
        EXPECT_EQ(entries(d.USBPidVid), Strings{kAnyHidUsbPrinter});
        chooseModel(d, 3);
        EXPECT_EQ(entries(d.USBPidVid), (Strings{kAnyHidUsbPrinter, "AXO 3650"}));
        EXPECT_EQ(d.USBPidVid.ListIndex(), 0);
        // A new paper width keeps the product of the model.
        driver.chooseListItem(d.PrinterType(1), 1);
        EXPECT_EQ(entries(d.USBPidVid), (Strings{kAnyHidUsbPrinter, "AXO 3650"}));
        pressCancel(d);
    });
    run([&](ConnectPrinterDlg& d) {
        chooseModel(d, 14);
        choosePort(d, 18);
        EXPECT_EQ(entries(d.USBPidVid), Strings{kAnyHidUsbPrinter});
        chooseModel(d, 13 - 1);
        EXPECT_EQ(entries(d.USBPidVid), (Strings{kAnyHidUsbPrinter, "AXO R809"}));
        pressCancel(d);
    });
}

TEST_F(ConnectDialog, ProductListIsNeverLeftEmptyForUsb) {
    run([&](ConnectPrinterDlg& d) {
        choosePort(d, 18);
        choosePort(d, 1);
        chooseModel(d, 5);  // clears the product list while a COM port is chosen
        choosePort(d, 18);
        EXPECT_EQ(entries(d.USBPidVid), Strings{kAnyHidUsbPrinter});
        EXPECT_EQ(d.USBPidVid.ListIndex(), 0);
        pressCancel(d);
    });
}

TEST_F(ConnectDialog, UsbIsRefusedForTheTwoModelsWithoutIt) {
    for (int refused : {1, 13}) {
        SCOPED_TRACE(refused);
        messages.clear();
        run([&](ConnectPrinterDlg& d) {
            choosePort(d, 18);
            chooseModel(d, 3);
            chooseModel(d, refused);
            // The choice stays, nothing else is refreshed.
            EXPECT_EQ(d.PrinterType(0).ListIndex(), refused);
            EXPECT_EQ(entries(d.USBPidVid), (Strings{kAnyHidUsbPrinter, "AXO 3650"}));
            EXPECT_EQ(entries(d.PrinterType(1)), (Strings{" 80.0mm", " 58.0mm"}));
            pressCancel(d);
        });
        EXPECT_EQ(messageTexts(),
                  Strings{"AHPI Communication is not supported for 3640-x035 and 3740-R801 printer"});
    }
}

TEST_F(ConnectDialog, OkOnLanWritesTheConnectionAndResults) {
    auto dlg = run([&](ConnectPrinterDlg& d) {
        chooseModel(d, 14);
        EXPECT_EQ(entries(d.PrinterType(1)), (Strings{" 80.0mm", " 82.5mm", " 114.0mm"}));
        driver.chooseListItem(d.PrinterType(1), 2);
        chooseLan(d);
        pressOk(d);
    });
    EXPECT_TRUE(messages.empty());  // no line-signal hint for TCP
    EXPECT_EQ(dlg->PortNumber(), 17);
    EXPECT_TRUE(dlg->EthernetStatus());
    EXPECT_FALSE(dlg->AHPIStatus());
    EXPECT_EQ(dlg->PaperWidth(), 3);
    EXPECT_EQ(dlg->PrinterModel(), 14);
    EXPECT_EQ(dlg->IPAddress(), kPrinterHost);
    EXPECT_EQ(dlg->HostPortNumber(), "9100");
    EXPECT_TRUE(dlg->Canceled());
    EXPECT_FALSE(printerlink::bConnectDialogCancelled);
    EXPECT_TRUE(printerlink::bConnectRequested);
    // Each key goes in right after the header, so the last written comes first.
    EXPECT_EQ(settingsFile(),
              "[Configurations]\r\n"
              "HostNumber=9100\r\n"
              "IPAddress=192.168.1.50\r\n"
              "PrinterModel=14\r\n"
              "ConnectionType=17\r\n"
              "Model= M27x\r\n"
              "PaperWidth= 114.0mm\r\n"
              "HandShake=1\r\n"
              "Parity=N\r\n"
              "StopBits=1\r\n"
              "DataBits=8\r\n"
              "Baud Rate=115200\r\n"
              "PortNumber=17\r\n");
}

TEST_F(ConnectDialog, SettingsFileThatCannotBeWrittenClosesTheDialogUnconfirmedWithTheError) {
    fs::create_directory(folder / "DuRudo.ini");  // no file can take its place, whoever runs the test
    auto dlg = run([&](ConnectPrinterDlg& d) {
        chooseLan(d);
        pressOk(d);
    });
    // The connect that showed the dialog reports the error; the dialog does not.
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(dlg->isLoaded());
    ASSERT_TRUE(dlg->WriteError().has_value());
    EXPECT_EQ(dlg->WriteError()->number(), 75);
    EXPECT_FALSE(printerlink::bConnectRequested);
    EXPECT_TRUE(printerlink::bConnectDialogCancelled);
}

TEST_F(ConnectDialog, OkOnSerialGivesTheLineSettingsAndOneHint) {
    struct Case {
        int flow;
        const char* hint;
        const char* handshake;
    } cases[] = {
        {1, "Make sure DSR Signal option is enabled in the communication interface", "1"},
        {0, "Set DSR Signal option should disabled in the communication interface", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flow);
        messages.clear();
        auto dlg = run([&](ConnectPrinterDlg& d) {
            choosePort(d, 4);
            driver.chooseListItem(d.PortSetting(1), 3);  // 19200
            driver.chooseListItem(d.PortSetting(2), 1);  // 7
            driver.chooseListItem(d.PortSetting(3), 1);  // 2
            driver.chooseListItem(d.PortSetting(4), 1);  // Even
            driver.chooseListItem(d.PortSetting(5), c.flow);
            pressOk(d);
        });
        EXPECT_EQ(messageTexts(), Strings{c.hint});
        EXPECT_EQ(dlg->PortNumber(), 4);
        EXPECT_EQ(dlg->BaudRate(), 19200);
        EXPECT_EQ(dlg->DataBits(), 7);
        EXPECT_EQ(dlg->StopBits(), 2);
        EXPECT_EQ(dlg->Parity(), 2);
        EXPECT_EQ(dlg->Handshake(), c.flow);
        EXPECT_FALSE(dlg->EthernetStatus());
        EXPECT_EQ(dlg->IPAddress(), "");
        const std::string path = shell::SettingsFilePath();
        EXPECT_EQ(shell::ReadIniValue(path, "Configurations", "ConnectionType"), "USB");
        EXPECT_EQ(shell::ReadIniValue(path, "Configurations", "Parity"), "E");
        EXPECT_EQ(shell::ReadIniValue(path, "Configurations", "HandShake"), c.handshake);
        EXPECT_EQ(shell::ReadIniValue(path, "Configurations", "Baud Rate"), "19200");
    }
}

TEST_F(ConnectDialog, OkSetsTheModelFlagsOfTheMainWindow) {
    struct Case {
        int type;
        bool twoStation, kiosk, noSlipMicr;
    } cases[] = {
        {8, true, false, true},    // 3690-xx4x
        {0, false, false, false},  // 3640 clears what the one before set
        {12, true, true, true},    // R809
        {13, false, true, true},   // 3740-R801
        {6, false, false, true},   // 3680-5xxx/6xxx
        {4, true, false, false},   // 3650-5xxx
    };
    shell::MainWindow& main = mainWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        run([&](ConnectPrinterDlg& d) {
            chooseModel(d, c.type);
            chooseLan(d);
            pressOk(d);
        });
        EXPECT_EQ(main.b2stFlag, c.twoStation);
        EXPECT_EQ(main.bKiosk, c.kiosk);
        EXPECT_EQ(main.bNoSlipMICR, c.noSlipMicr);
    }
}

TEST_F(ConnectDialog, UsbChoiceDoesNotOutliveAUsbConnect) {
    shell::MainWindow& main = mainWindow();
    run([&](ConnectPrinterDlg& d) {
        choosePort(d, 18);
        pressOk(d);
    });
    EXPECT_TRUE(main.bFlagforAHPI);
    EXPECT_EQ(main.m_AnyHID, kAnyHidUsbPrinter);
    for (int port : {1, 17}) {
        run([&](ConnectPrinterDlg& d) {
            choosePort(d, 18);
            choosePort(d, port);
            pressOk(d);
        });
        EXPECT_FALSE(main.bFlagforAHPI) << port;
        EXPECT_EQ(main.m_AnyHID, "") << port;
    }
}

TEST_F(ConnectDialog, OkClearsTheWindowsStatusRequestsAndLinkFlags) {
    printerlink::statusHandshake.m_SendRealTimeStatusCmd = true;
    printerlink::statusHandshake.bSendCmdForRealTimstatus = true;
    printerlink::bLinkLost = true;
    printerlink::bAutoReconnect = true;
    run([&](ConnectPrinterDlg& d) { pressOk(d); });
    EXPECT_FALSE(printerlink::statusHandshake.m_SendRealTimeStatusCmd);
    EXPECT_FALSE(printerlink::statusHandshake.bSendCmdForRealTimstatus);
    EXPECT_FALSE(printerlink::bLinkLost);
    EXPECT_FALSE(printerlink::bAutoReconnect);
}

TEST_F(ConnectDialog, CancelAndTheCloseBoxCountAsCancelled) {
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox);
        printerlink::bVerifySerialLink = true;
        auto dlg = run([&](ConnectPrinterDlg& d) {
            closeBox ? (void)driver.closeBox(d) : pressCancel(d);
        });
        EXPECT_TRUE(dlg->Canceled());
        EXPECT_TRUE(printerlink::bConnectDialogCancelled);
        EXPECT_FALSE(printerlink::bConnectRequested);
        EXPECT_EQ(printerlink::bVerifySerialLink, closeBox);
        EXPECT_FALSE(settingsFileExists());
    }
}

}  // namespace
}  // namespace shelltest
