// JTNetwork, the engine object over the networking core: it names the
// listener and sends it the core's messages through its communicator.
#include "Jentra/JTNetwork.h"

#include "Jentra/core/network/network_core.h"

JT_CLASS_IMPL(JTNetwork)

JTNetwork* gpJTNetwork = nullptr;

JTNetwork::JTNetwork() : communicator(this), m_core(new JTNetworkCore) {
    m_core->SetDeliver(
        [this](unsigned msg, void* data) { communicator.Send(m_listener, msg, data); });
}

JTNetwork::~JTNetwork() {
    delete m_core;
}

int32_t JTNetwork::InitDirectPlay(const char* commandLine) {
    return m_core->Init(commandLine);
}
bool JTNetwork::EnumServiceProviders() {
    return m_core->EnumServiceProviders();
}
bool JTNetwork::SelectServiceProvider(int index) {
    return m_core->SelectServiceProvider(index);
}
int JTNetwork::GetNumServiceProviders() const {
    return m_core->GetNumServiceProviders();
}
const char* JTNetwork::GetServiceProviderName(int index) const {
    return m_core->GetServiceProviderName(index);
}

bool JTNetwork::StartEnumHosts(JTID& requester) {
    (void)requester; // answers go to the host list, which the requester reads
    return m_core->StartEnumHosts();
}
void JTNetwork::StopEnumHosts() {
    m_core->StopEnumHosts();
}
DPHostEnumInfo* JTNetwork::GetHostList() {
    return m_core->GetHostList();
}
const DPHostEnumInfo* JTNetwork::GetHostListEnd() const {
    return m_core->GetHostListEnd();
}
void JTNetwork::ReleaseHostList() {
    m_core->ReleaseHostList();
}
bool JTNetwork::TakeHostListChanged() {
    return m_core->TakeHostListChanged();
}

int32_t JTNetwork::HostGame() {
    return m_core->HostGame();
}
bool JTNetwork::JoinGame(int host) {
    return m_core->JoinGame(host);
}
int32_t JTNetwork::StartJoinGame(int host) {
    return m_core->StartJoinGame(host);
}
int32_t JTNetwork::ContinueJoinGame() {
    return m_core->ContinueJoinGame();
}
void JTNetwork::CancelJoinGame() {
    m_core->CancelJoinGame();
}
bool JTNetwork::IsJoining() const {
    return m_core->IsJoining();
}
const char* JTNetwork::GetJoinAddress() const {
    return m_core->GetJoinAddress();
}
int32_t JTNetwork::ConnectUsingLobbySettings() {
    return m_core->ConnectUsingLobbySettings();
}
int32_t JTNetwork::StartDirectConnect() {
    return m_core->StartDirectConnect();
}
int32_t JTNetwork::ContinueDirectConnect() {
    return m_core->ContinueDirectConnect();
}
void JTNetwork::StopDirectConnect() {
    m_core->StopDirectConnect();
}
const char* JTNetwork::GetDirectConnectHost() const {
    return m_core->GetCommandLine().szHostName;
}
int JTNetwork::GetDirectConnectAttempt() const {
    return m_core->GetDirectConnectAttempt();
}
bool JTNetwork::SendNetwork(const unsigned char* data, unsigned size) {
    return m_core->SendNetwork(data, size);
}
void JTNetwork::DestroyGame() {
    m_core->DestroyGame();
}
void JTNetwork::LeaveGame() {
    m_core->LeaveGame();
}
void JTNetwork::Update() {
    m_core->Update();
}
void JTNetwork::PostponeDelivery() {
    m_core->PostponeDelivery();
}

void JTNetwork::SetListener(JTID* listener) {
    if (listener)
        m_listener = *listener;
    else
        m_listener.New();
}
void JTNetwork::SetLocalPlayerName(const char* name) {
    m_core->SetLocalPlayerName(name);
}
const char* JTNetwork::GetLocalPlayerName() const {
    return m_core->GetLocalPlayerName();
}
int JTNetwork::GetNumPlayers() const {
    return m_core->GetNumPlayers();
}
bool JTNetwork::IsNetworkGame() const {
    return m_core->IsNetworkGame();
}
bool JTNetwork::IsHost() const {
    return m_core->IsHost();
}
bool JTNetwork::GetLobbyLaunched() const {
    return m_core->GetLobbyLaunched();
}
bool JTNetwork::GetLobbyConnected() const {
    return m_core->GetLobbyConnected();
}

void JTNetwork::SetApplicationGUID(const JTID& guid) {
    m_core->SetApplicationGUID(guid.bytes);
}
void JTNetwork::SetGamePort(uint16_t port) {
    m_core->SetGamePort(port);
}
void JTNetwork::SetDiscoveryPort(uint16_t port) {
    m_core->SetDiscoveryPort(port);
}
void JTNetwork::SetBindAddress(const char* address) {
    m_core->SetBindAddress(address);
}
void JTNetwork::SetMaxPlayers(int maxPlayers) {
    m_core->SetMaxPlayers(maxPlayers);
}
void JTNetwork::SetEnumRetryInterval(uint32_t ms) {
    m_core->SetEnumRetryInterval(ms);
}
void JTNetwork::SetJoinTimeout(uint32_t ms) {
    m_core->SetJoinTimeout(ms);
}
uint16_t JTNetwork::GetSessionPort() const {
    return m_core->GetSessionPort();
}
uint16_t JTNetwork::GetSessionDiscoveryPort() const {
    return m_core->GetSessionDiscoveryPort();
}
const char* JTNetwork::GetSessionName() const {
    return m_core->GetSessionName();
}
