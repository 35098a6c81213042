#include "link/SerialPort.h"

#include "link/LinkErrors.h"
#include "link/ModemLines.h"
#include "link/PortChooser.h"
#include "link/PortMap.h"
#include "link/PortMatchers.h"
#include "link/PortReader.h"
#include "link/SerialDevice.h"
#include "ui/Prompts.h"

SerialPort::SerialPort(QObject* parent)
    : QObject(parent), m_device(std::make_unique<SerialDevice>()),
      m_matchers(std::make_unique<PortMatchers>(*this)) {
    m_modemTimer.setInterval(55);
    connect(&m_modemTimer, &QTimer::timeout, this, &SerialPort::pollModemLines);
}

SerialPort::~SerialPort() {
    closeNow();
    m_matchers.reset();
}

QString SerialPort::Describe() const {
    if (m_open)
        return SerialDevice::Describe(PortMap::PortName(m_comNumber), m_device->path());
    return SerialDevice::Describe(PortMap::PortName(m_comNumber), PortMap::DevicePath(m_comNumber));
}

qsizetype SerialPort::MatcherBufferSize() const {
    return m_matchers->bufferSize();
}

QString SerialPort::DevicePath() const {
    return m_open ? m_device->path() : QString();
}

void SerialPort::setComNumber(quint16 n) {
    if (n == m_comNumber)
        return;
    if (!m_open) {
        m_comNumber = n;
        return;
    }
    closeNow();
    m_comNumber = n;
    openNow();
}

void SerialPort::setBaud(qint32 baud) {
    if (m_open)
        m_device->setBaud(baud); // throws when the device refuses; the old speed stays
    m_baud = baud;
}

void SerialPort::setOpen(bool open) {
    if (open == m_open)
        return;
    if (open)
        openNow();
    else
        closeNow();
}

void SerialPort::openNow() {
    if (m_comNumber == 0) {
        PortChooser* chooser = m_promptForPort ? PortChooser::Current() : nullptr;
        const int chosen = chooser ? chooser->choosePort() : 0;
        if (chosen < PortMap::FirstPort || chosen > PortMap::LastPort)
            throw OmbrexError(LinkError::NoPortSelected, QStringLiteral("No serial port selected"));
        m_comNumber = quint16(chosen);
    }
    if (m_comNumber > PortMap::LastPort)
        throw OmbrexError(
            LinkError::InvalidPort,
            QStringLiteral("%1 is not a valid serial port").arg(PortMap::PortName(m_comNumber)));
    m_device->open(PortMap::PortName(m_comNumber), PortMap::DevicePath(m_comNumber), m_baud);
    SerialPort* self = this; // outlives the reader: closing joins it
    m_reader = std::make_unique<PortReader>(m_device->handle(), [self] {
        // Reader thread: only posts; the GUI thread dispatches. A call still queued when the
        // port is destroyed is dropped with it.
        QMetaObject::invokeMethod(
            self, [self] { self->dispatchReceived(); }, Qt::QueuedConnection);
    });
    m_open = true;
    m_lossReported = false;
    ++m_generation;
    m_matchers->portOpened();
}

void SerialPort::closeNow() {
    if (!m_open)
        return;
    m_open = false;
    ++m_generation;
    m_reader.reset(); // stops and joins the reader
    m_matchers->portClosed();
    m_ctsWatch = false;
    m_modemTimer.stop();
    m_dataDeferred = false;
    m_timeoutDeferred = false;
    m_device->close();
}

void SerialPort::requireOpen(const char* operation) {
    if (!m_open && m_autoOpen)
        setOpen(true);
    if (!m_open)
        throw OmbrexError(LinkError::PortNotOpen,
                          QStringLiteral("%1: port not open (%2)")
                              .arg(PortMap::PortName(m_comNumber), QLatin1String(operation)));
}

void SerialPort::SendChar(char byte) {
    SendString(QByteArray(1, byte));
}

void SerialPort::SendString(const QByteArray& bytes) {
    requireOpen("send");
    if (!m_reader->queue(bytes, m_outSize))
        throw OmbrexError(LinkError::TransmitQueueFull,
                          QStringLiteral("%1: transmit queue full (%2 bytes refused)")
                              .arg(Describe())
                              .arg(bytes.size()));
}

void SerialPort::FlushInput() {
    requireOpen("flush input");
    m_device->flushInput();
    m_reader->discardInput();
}

void SerialPort::throwNoByteToRead() const {
    throw OmbrexError(LinkError::NoByteToRead,
                      QStringLiteral("%1: no received byte to read").arg(Describe()));
}

void SerialPort::WatchCtsChange() {
    requireOpen("watch the CTS line");
    ModemLines& lines = m_modemLines ? *m_modemLines : ModemLines::Default();
    const auto status = lines.modemStatus(m_device->handle());
    m_ctsWatch = true;
    m_ctsLevel = status && (*status & ModemLines::CtsOn);
    // A device without modem lines keeps the watch but it never fires.
    if (status)
        m_modemTimer.start();
    else
        m_modemTimer.stop();
}

void SerialPort::pollModemLines() {
    if (!m_open || !m_ctsWatch) {
        m_modemTimer.stop();
        return;
    }
    if (inEvent())
        return; // the next poll looks again
    ModemLines& lines = m_modemLines ? *m_modemLines : ModemLines::Default();
    const auto status = lines.modemStatus(m_device->handle());
    if (!status)
        return;
    if (bool(*status & ModemLines::CtsOn) == m_ctsLevel)
        return;
    m_ctsWatch = false;
    m_modemTimer.stop();
    if (OnTriggerModemStatus)
        callHandler([this] { OnTriggerModemStatus(*this); }, false);
}

void SerialPort::callHandler(const std::function<void()>& handler, bool matcherHandler) {
    ++m_eventDepth;
    if (matcherHandler)
        ++m_matcherHandlerDepth;
    try {
        handler();
    } catch (const std::exception& e) {
        Prompts::ShowGeneralError(e);
    } catch (...) {
        Prompts::ShowGeneralError(
            QStringLiteral("%1: unknown error in an event handler").arg(Describe()));
    }
    if (matcherHandler)
        --m_matcherHandlerDepth;
    --m_eventDepth;
    if (m_eventDepth == 0 && (m_dataDeferred || m_timeoutDeferred))
        scheduleResume();
}

void SerialPort::scheduleResume() {
    if (m_resumePending)
        return;
    m_resumePending = true;
    QMetaObject::invokeMethod(this, &SerialPort::resumeEvents, Qt::QueuedConnection);
}

void SerialPort::resumeEvents() {
    m_resumePending = false;
    if (inEvent())
        return; // resumed again when that handler returns
    if (m_timeoutDeferred) {
        m_timeoutDeferred = false;
        timeoutTimerFired();
    }
    if (m_dataDeferred && !inEvent()) {
        m_dataDeferred = false;
        dispatchReceived();
    }
}

void SerialPort::timeoutTimerFired() {
    if (!m_open)
        return;
    if (inEvent()) {
        m_timeoutDeferred = true;
        return;
    }
    m_matchers->checkTimeout();
}

void SerialPort::dispatchReceived() {
    if (!m_open || !m_reader)
        return;
    if (inEvent()) {
        m_dataDeferred = true;
        return;
    }
    const quint64 generation = m_generation;
    const QByteArray batch = m_reader->take();
    if (!batch.isEmpty()) {
        m_matchers->feed(batch);
        if (m_generation != generation || !m_open)
            return;
        m_readBatch = batch;
        m_readPos = 0;
        if (OnTriggerAvail) {
            m_inTriggerAvail = true;
            callHandler([this, &batch] { OnTriggerAvail(*this, int(batch.size())); }, false);
            m_inTriggerAvail = false;
        }
        m_readBatch.clear();
        if (m_generation != generation || !m_open)
            return;
    }
    if (m_reader->lost() && !m_lossReported) {
        m_lossReported = true;
        const QString reason = m_reader->lostReason();
        // Shown at this port's event boundary, once; reading has stopped.
        ++m_eventDepth;
        Prompts::ShowGeneralError(OmbrexError(
            LinkError::DeviceLost,
            QStringLiteral("%1: the serial device was lost (%2)").arg(Describe(), reason)));
        if (OnDeviceLost)
            callHandler([this] { OnDeviceLost(*this); }, false);
        --m_eventDepth;
        if (m_eventDepth == 0 && (m_dataDeferred || m_timeoutDeferred))
            scheduleResume();
    }
}
