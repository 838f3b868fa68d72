#pragma once
// The connection settings dialog of the acquisition client service.
#include <QDialog>
#include <QPointer>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TWK2TCPClient;

class TfmTCPCLSetup : public QDialog {
    Q_OBJECT
public:
    explicit TfmTCPCLSetup(QWidget* Parent = nullptr);

    // The client whose state text the form shows, refreshed every 500 ms.
    void SetClient(TWK2TCPClient* Client);
    void RefreshState();

    QString Address() const;
    void SetAddress(const QString& Value);
    int Port() const;
    void SetPort(int Value);
    QString AccessCode() const;
    void SetAccessCode(const QString& Value);
    void SetStateText(const QString& Value);
    QString StateText() const;
    int BufferSize() const;
    void SetBufferSize(int Value);
    int FetchSize() const;
    void SetFetchSize(int Value);

    // Checks the numeric fields; a refused value is reported through the UI
    // services, its field gets the focus and the form stays open.
    void accept() override;

    QLineEdit* leAddress;
    QPushButton* btnSelectHost;
    QLineEdit* nePort;
    QLineEdit* leAccessCode;
    QLabel* lblState;
    QGroupBox* GroupBox1;
    QLineEdit* neBufferSize;
    QLineEdit* neFetchSize;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QTimer* tmrState;

private:
    void SelectHost();
    TWK2TCPClient* FClient = nullptr;
};
